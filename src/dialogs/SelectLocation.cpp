// The place picker's rules.
#include "dialogs/SelectLocation.h"

#include "base/NumText.h"
#include "base/TextHelpers.h"

#include <algorithm>

namespace zmk {

namespace {

// The second line of the missing-database message.
constexpr const char* kInstallLine = "Please install the location database in the common data folder...";

// Index of the entry that names the wanted text (letter case aside), else 0; -1 for an
// empty list.
int FindOrFirst(const std::vector<std::string>& list, const std::string& wanted)
{
    if (list.empty())
        return -1;
    const auto it =
        std::find_if(list.begin(), list.end(), [&](const std::string& s) { return SameText(s, wanted); });
    return it == list.end() ? 0 : static_cast<int>(it - list.begin());
}

std::vector<std::string> Sorted(std::vector<std::string> list)
{
    std::vector<std::string> sorted;
    sorted.reserve(list.size());
    for (const std::size_t i : LocationTextOrder(list))
        sorted.push_back(std::move(list[i]));
    return sorted;
}

} // namespace

TSelectLocation::TSelectLocation(ISettingsStore& programSettings, std::string commonDataFolder,
                                 INotifier* notifier)
    : settings_(programSettings), folder_(std::move(commonDataFolder)), notifier_(notifier)
{
    wantedDatabase_ = settings_.ReadString(kSelectLocationSection, "Database", "");
    wantedRegion_ = settings_.ReadString(kSelectLocationSection, "Region", "");
    wantedPlace_ = settings_.ReadString(kSelectLocationSection, "Place", "");
    ClearDetails();
}

void TSelectLocation::RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const
{
    RestoreWindow(settings_, kSelectLocationSection, place, screen, false, false);
}

void TSelectLocation::Preset(const std::string& lastLocation)
{
    wantedPlace_ = ExtractField(1, ',', lastLocation);
    wantedRegion_ = ExtractField(2, ',', lastLocation);
}

void TSelectLocation::Show()
{
    result_ = TPickerResult::None;
    databaseCache_.reset();
    regionCache_.reset();
    file_.Close();
    regions_.clear();
    regionIndex_ = -1;
    places_.clear();
    placeIndex_ = -1;
    picked_.reset();
    locationName_.clear();
    ClearDetails();

    // A missing index leaves every list empty: the picker can only be cancelled.
    index_.Load(folder_ + std::string(kLocationIndexFile));
    databases_ = Sorted(index_.Databases());
    databaseIndex_ = FindOrFirst(databases_, wantedDatabase_);
    OpenDatabase();
    ShowDetails();
}

void TSelectLocation::SelectDatabase(int index)
{
    if (index < 0 || index >= static_cast<int>(databases_.size()))
        return;
    databaseIndex_ = index;
    OpenDatabase();
}

void TSelectLocation::SelectRegion(int index)
{
    if (index < 0 || index >= static_cast<int>(regions_.size()))
        return;
    regionIndex_ = index;
    FillPlaces();
}

void TSelectLocation::SelectPlace(int index)
{
    if (index < 0 || index >= static_cast<int>(places_.size()))
        return;
    placeIndex_ = index;
    ShowDetails();
}

bool TSelectLocation::Accept()
{
    if (!CanAccept())
        return false;
    result_ = TPickerResult::Ok;
    return true;
}

void TSelectLocation::Cancel()
{
    result_ = TPickerResult::Cancel;
}

void TSelectLocation::Close(const TWindowPlace* windowPlace)
{
    wantedDatabase_ = DatabaseText();
    wantedRegion_ = RegionText();
    wantedPlace_ = placeIndex_ >= 0 ? places_[static_cast<std::size_t>(placeIndex_)].first : std::string();
    settings_.WriteString(kSelectLocationSection, "Database", wantedDatabase_);
    settings_.WriteString(kSelectLocationSection, "Region", wantedRegion_);
    settings_.WriteString(kSelectLocationSection, "Place", wantedPlace_);
    if (windowPlace)
        StoreWindow(settings_, kSelectLocationSection, *windowPlace);

    // The result (location name and record) stays for the caller to read.
    file_.Close();
    index_.Clear();
    databases_.clear();
    regions_.clear();
    places_.clear();
    databaseIndex_ = regionIndex_ = placeIndex_ = -1;
}

std::vector<std::string> TSelectLocation::Places() const
{
    std::vector<std::string> names;
    names.reserve(places_.size());
    for (const auto& place : places_)
        names.push_back(place.first);
    return names;
}

// ---- the steps -----------------------------------------------------------------------------

void TSelectLocation::OpenDatabase()
{
    file_.Close();
    picked_.reset();
    locationName_.clear();
    ClearDetails();
    if (databaseIndex_ < 0)
        return;
    const std::string database = DatabaseText();
    // A name from the index becomes a file name: one that would leave the folder is treated
    // as a database that is not there.
    if (!IsSafeDatabaseName(database) || !file_.Open(LocationFilePath(folder_, database))) {
        if (!notifier_)
            return;
        // A file that is there but refused (too large, not a regular file) is not "not installed".
        if (IsSafeDatabaseName(database) && file_.LoadStatus() != TFileReadStatus::Missing)
            notifier_->Message("The " + database + " Database cannot be read...\r\n" + file_.LoadError());
        else
            notifier_->Message("The " + database + " Database has not been installed...\r\n" + kInstallLine);
        return;
    }
    regions_ = Sorted(index_.Keys(database));
    regionIndex_ = FindOrFirst(regions_, wantedRegion_);
    FillPlaces();
}

void TSelectLocation::FillPlaces()
{
    places_.clear();
    placeIndex_ = -1;
    picked_.reset();
    locationName_.clear();
    ClearDetails();
    if (!file_.IsOpen())
        return;
    regionCode_ = regionIndex_ >= 0 ? index_.Code(DatabaseText(), RegionText()).value_or(0) : 0;
    const bool all = IsAllSelected();
    std::vector<std::string> names;
    std::vector<int> records;
    for (int n = 0; n < file_.Count(); ++n) {
        const std::int32_t code = all ? file_.DatabaseCode(n) : file_.RegionCode(n);
        if (regionCode_ == 0 || code == regionCode_) {
            names.push_back(file_.Record(n).Name);
            records.push_back(n);
        }
    }
    places_.reserve(names.size());
    for (const std::size_t i : LocationTextOrder(names))
        places_.emplace_back(std::move(names[i]), records[i]);
    if (!places_.empty()) {
        const auto it = std::find_if(places_.begin(), places_.end(),
                                     [&](const auto& p) { return SameText(p.first, wantedPlace_); });
        placeIndex_ = it == places_.end() ? 0 : static_cast<int>(it - places_.begin());
    }
    ShowDetails();
}

void TSelectLocation::ShowDetails()
{
    if (placeIndex_ < 0 || !file_.IsOpen())
        return;
    const int n = places_[static_cast<std::size_t>(placeIndex_)].second;
    if (n >= file_.Count())
        return;
    const TLocationRecord record = file_.Record(n);
    details_ = LocationDetails(record);

    // The region name: the database, or the record's own region when it has one. In "+All"
    // both come from the index by code. A place listed under a region of code 0 ("every
    // place") takes its region from its own code too, not from the region list.
    std::string region = DatabaseText();
    std::string database = region;
    if (IsAllSelected()) {
        database = DatabaseNameOfCode(record.Database);
        if (!database.empty())
            region = database;
    }
    if (record.Region != 0) {
        if (!IsAllSelected() && regionIndex_ >= 0 && record.Region == regionCode_) {
            region = RegionText();
        } else {
            const std::string name = RegionNameOfCode(database, record.Region);
            if (!name.empty())
                region = name;
        }
    }
    locationName_ = record.Name + ", " + region;
    status_[0] = Format("Record %d of %d", n + 1, file_.Count());
    status_[1] = locationName_;
    picked_ = record;
}

void TSelectLocation::ClearDetails()
{
    static const char* const kLabels[10] = {"Latitude",    "Longitude", "TimeZone",   "Altitude",
                                            "Cooling",     "Heating",   "Wind Speed", "Max DryBulb",
                                            "Min DryBulb", "DB Range"};
    for (std::size_t i = 0; i < details_.size(); ++i)
        details_[i] = {kLabels[i], ""};
    status_ = {"", ""};
}

bool TSelectLocation::IsAllSelected() const
{
    return SameText(DatabaseText(), kAllDatabases);
}

std::string TSelectLocation::DatabaseText() const
{
    return databaseIndex_ >= 0 && databaseIndex_ < static_cast<int>(databases_.size())
               ? databases_[static_cast<std::size_t>(databaseIndex_)]
               : std::string();
}

std::string TSelectLocation::RegionText() const
{
    return regionIndex_ >= 0 && regionIndex_ < static_cast<int>(regions_.size())
               ? regions_[static_cast<std::size_t>(regionIndex_)]
               : std::string();
}

std::string TSelectLocation::DatabaseNameOfCode(std::int32_t code)
{
    if (!databaseCache_ || databaseCache_->first != code)
        databaseCache_.emplace(code, index_.KeyOfCode(kAllDatabases, code).value_or(""));
    return databaseCache_->second;
}

std::string TSelectLocation::RegionNameOfCode(const std::string& database, std::int32_t code)
{
    if (!regionCache_ || regionCache_->first.first != database || regionCache_->first.second != code)
        regionCache_.emplace(std::make_pair(database, code), index_.KeyOfCode(database, code).value_or(""));
    return regionCache_->second;
}

} // namespace zmk
