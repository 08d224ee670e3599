// The place picker behind the "Select Location" dialog: a database list, a region list and
// the places of the chosen region, with the details of the selected place. The dialog widget
// shows the lists, the selections, the details rows and the two status texts held here, and
// forwards the user's choices; every rule lives in this class. The picker remembers its last
// database, region and place in the program's settings.
#pragma once

#include "app/StartupSettings.h"
#include "base/Notifier.h"
#include "platform/SettingsStore.h"
#include "properties/Locations.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zmk {

/// Section of the program's settings that holds the picker's selections and place.
inline constexpr std::string_view kSelectLocationSection = "SelectLocationForm";

/// The dialog's title.
inline constexpr const char* kSelectLocationTitle = "Select Location";

/// Layout of the dialog, pixels: the details grid's first column and what the second leaves
/// of the grid's width, and the widths of the two status panels.
inline constexpr int kDetailsLabelWidth = 100;
inline constexpr int kDetailsValueMargin = 104;
inline constexpr std::array<int, 2> kLocationStatusWidths{110, 200};

/// How the picker was closed.
enum class TPickerResult { None, Ok, Cancel };

class TSelectLocation
{
public:
    /// Reads the remembered database, region and place. commonDataFolder (ending with "/")
    /// holds "Regions.idx" and the data files; notifier gets the missing-database message.
    TSelectLocation(ISettingsStore& programSettings, std::string commonDataFolder, INotifier* notifier);

    /// The window's remembered position (its size is its own).
    void RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const;

    /// The wanted place and region from a location name "place, region".
    void Preset(const std::string& lastLocation);

    /// The dialog is about to be shown: reads the index, fills the lists, selects the
    /// remembered database, region and place and shows the place.
    void Show();
    /// The user chose another database (index into Databases()).
    void SelectDatabase(int index);
    /// The user chose another region (index into Regions()).
    void SelectRegion(int index);
    /// The user clicked a place (index into Places()).
    void SelectPlace(int index);

    /// Whether "&Accept" (or a double click on a place) can close with OK: a place of the
    /// open database is shown.
    bool CanAccept() const { return picked_.has_value(); }
    /// "&Accept" or a double click on a place: true (result Ok) when a place is shown;
    /// false, changing nothing, when none is.
    bool Accept();
    /// "&Cancel" or the window's close button.
    void Cancel();
    /// The dialog closes, whatever the result: the selections and the window's position are
    /// stored; the data file, the index and the place list are released.
    void Close(const TWindowPlace* windowPlace = nullptr);

    TPickerResult Result() const { return result_; }

    // ---- what the dialog shows -----------------------------------------------------------

    /// The database list (sorted) and its selection (-1 for none).
    const std::vector<std::string>& Databases() const { return databases_; }
    int DatabaseIndex() const { return databaseIndex_; }
    /// The region list of the selected database (sorted) and its selection.
    const std::vector<std::string>& Regions() const { return regions_; }
    int RegionIndex() const { return regionIndex_; }
    /// The place list (sorted) and its selection; each place with its record number.
    std::vector<std::string> Places() const;
    int PlaceIndex() const { return placeIndex_; }
    int PlaceRecordNumber(int index) const { return places_[static_cast<std::size_t>(index)].second; }
    /// The ten details rows (label, value); empty texts while no place is shown.
    const std::array<std::pair<std::string, std::string>, 10>& Details() const { return details_; }
    /// The status bar's panels: "Record %d of %d" and the location name.
    const std::array<std::string, 2>& StatusPanels() const { return status_; }

    // ---- results ---------------------------------------------------------------------------

    /// "place, region" of the shown place.
    const std::string& LocationName() const { return locationName_; }
    /// The shown place's record; nothing while no place is shown.
    const std::optional<TLocationRecord>& PickedRecord() const { return picked_; }

private:
    void OpenDatabase();
    void FillPlaces();
    void ShowDetails();
    void ClearDetails();
    bool IsAllSelected() const;
    std::string DatabaseText() const;
    std::string RegionText() const;
    std::string DatabaseNameOfCode(std::int32_t code);
    std::string RegionNameOfCode(const std::string& database, std::int32_t code);

    ISettingsStore& settings_;
    std::string folder_;
    INotifier* notifier_;

    // Remembered selections: read at creation, set by Preset, stored at closing.
    std::string wantedDatabase_, wantedRegion_, wantedPlace_;

    TLocationIndex index_;
    TLocationFile file_;
    std::vector<std::string> databases_;
    std::vector<std::string> regions_;
    std::vector<std::pair<std::string, int>> places_; // name, record number
    int databaseIndex_ = -1;
    int regionIndex_ = -1;
    int placeIndex_ = -1;
    std::int32_t regionCode_ = 0; // code of the selected region

    std::array<std::pair<std::string, std::string>, 10> details_;
    std::array<std::string, 2> status_;
    std::string locationName_;
    std::optional<TLocationRecord> picked_;
    TPickerResult result_ = TPickerResult::None;

    // The last look-ups of a database name by its code and of a region name by its code.
    std::optional<std::pair<std::int32_t, std::string>> databaseCache_;
    std::optional<std::pair<std::pair<std::string, std::int32_t>, std::string>> regionCache_;
};

} // namespace zmk
