// The heat recovery coil (kind "zmk").
#pragma once

#include "engine/LiquidCoil.h"

#include <string>

namespace zmk {

/// Heat recovery coil (kind "zmk"): air and liquid exchange heat across a dry surface; air cooled
/// below its dew point condenses on the part of the surface below it (dry, part-wet or wet).
class TZemtor : public TLiquidCoil
{
public:
    TZemtor(const std::string& makerName, int tubeIndex, const std::string& model);
    /// The coil of a definition record, no size text read and no catalogue looked up.
    explicit TZemtor(const TModelRec& rec);
    std::unique_ptr<TLiquidCoil> Clone() const override;
    /// Project-file form: finds or creates `zmk` under the root (reading also takes `zemtor`); the liquid
    /// state is read and written once more.
    void LoadFromXML(TXMLFile& file, TXMLFile::Node root) override;
    void SaveToXML(TXMLFile& file, TXMLFile::Node root) override;

protected:
    TSolveStatus SolveModel() override;
    TStepScheme StepScheme() const override;
    void StepSlice(TStepSlice& slice, const char* where) override;

private:
    TSolveStatus condensingPasses();
};

} // namespace zmk
