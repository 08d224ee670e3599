// The start values of a job, field by field: where each is kept in the user's settings and in
// the project file. The settings store and the project file read and write the record through
// this one list, so a field added to the record is added here once.
#pragma once

#include "base/XMLFiles.h"
#include "engine/CoilFactory.h"
#include "platform/SettingsStore.h"

#include <span>
#include <string>
#include <variant>

namespace zmk {

/// One field of the start values.
struct TStartValueField
{
    const char* ProjectName; ///< element under the project's `startval`; null: kept in the settings only
    const char* Section;     ///< settings section
    const char* Key;         ///< settings value name
    std::variant<double TCoilStartValues::*, int TCoilStartValues::*, std::string TCoilStartValues::*> Member;
    /// The range read from the settings (Lo == Hi: any): an integer code outside it keeps the
    /// value it had, a real is brought into it.
    int Lo = 0, Hi = 0;
};

/// Every field, in the order the project file writes them.
std::span<const TStartValueField> StartValueFields();

/// Reads the fields the store holds; the others (and codes out of range) keep their values.
void ReadStartValues(const ISettingsStore& store, TCoilStartValues& values);
/// Writes every field to the store.
void WriteStartValues(ISettingsStore& store, const TCoilStartValues& values);
/// Writes the start values as `startval` under the root; the liquid kind and the liquid control
/// carry their names in a `var` attribute.
void WriteStartValues(TXMLFile& file, TXMLFile::Node root, const TCoilStartValues& values);

} // namespace zmk
