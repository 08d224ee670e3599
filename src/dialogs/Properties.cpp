// The properties dialog's side of the project properties.
#include "dialogs/Properties.h"

#include "base/NumText.h"

#include <chrono>

namespace zmk {

TGeneralPage GeneralPageOf(const std::string& path, const TFileFacts& facts)
{
    TGeneralPage page;
    page.Path = path;
    page.FileName = facts.FileName;
    page.Location = facts.Location;
    page.Created = FileTimeText(facts.Created);
    page.Modified = FileTimeText(facts.Modified);
    page.Size = facts.SizeText();
    page.Attributes = {facts.ReadOnly, facts.Hidden, facts.Archive, facts.System};
    return page;
}

std::string LongDateText(TDate date)
{
    static constexpr std::array<const char*, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                      "Thursday", "Friday", "Saturday"};
    static constexpr std::array<const char*, 12> kMonths{"January",   "February", "March",    "April",
                                                         "May",       "June",     "July",     "August",
                                                         "September", "October",  "November", "December"};
    if (!IsValidDate(date.year, date.month, date.day))
        return {};
    const std::chrono::year_month_day ymd{std::chrono::year(date.year),
                                          std::chrono::month(static_cast<unsigned>(date.month)),
                                          std::chrono::day(static_cast<unsigned>(date.day))};
    const std::chrono::weekday wd{std::chrono::sys_days(ymd)};
    return Format("%s, %d %s %d", kDays[wd.c_encoding()], date.day,
                  kMonths[static_cast<std::size_t>(date.month - 1)], date.year);
}

TProperties::TProperties(TProjectProperties& properties, ISettingsStore& programSettings)
    : properties_(properties), settings_(programSettings), place_(kPropertiesWindow)
{
}

void TProperties::RestoreWindowPlace(TWindowPlace& place, TScreenSize screen) const
{
    RestoreWindow(settings_, place_.Name(), place, screen, false, place_.WithSize());
}

void TProperties::Show(const std::string& currentFile)
{
    result_ = TDialogResult::None;
    ActivePage = 0;
    KeepAsDefault = false;
    const std::optional<TFileFacts> facts = properties_.BeginShow(currentFile);
    const TPropertyValues& v = properties_.Values();
    ProjectName = v.ProjectName;
    ProjectNumber = v.ProjectNumber;
    Comments = properties_.CommentsText();
    Date = v.Date;
    Author = v.Author;
    Company = v.Company;
    general_.reset();
    if (facts)
        general_ = GeneralPageOf(currentFile, *facts);
}

void TProperties::Accept()
{
    TPropertyValues& v = properties_.Values();
    v.ProjectName = ProjectName;
    v.ProjectNumber = ProjectNumber;
    properties_.SetCommentsText(Comments);
    // A date the picker cannot hold keeps the one the project had.
    if (IsValidDate(Date.year, Date.month, Date.day))
        v.Date = Date;
    v.Author = Author;
    v.Company = Company;
    properties_.Accept(KeepAsDefault);
    result_ = TDialogResult::Ok;
}

void TProperties::Cancel()
{
    properties_.Cancel();
    result_ = TDialogResult::Cancel;
}

void TProperties::Close(const TWindowPlace* windowPlace)
{
    if (windowPlace)
        StoreWindow(settings_, place_.Name(), *windowPlace);
}

} // namespace zmk
