// The help page "Accuracy", written from the accuracy record's cases, so that the page never says
// more than the tests check.
#include "reports/AccuracyPage.h"

#include "base/NumText.h"

#include <cmath>
#include <string>
#include <vector>

namespace zmk {

namespace {

std::string number(double v)
{
    if (std::isnan(v))
        return "&ndash;";
    const double a = std::fabs(v);
    return Format(a >= 100 ? "%0.1f" : a >= 10 ? "%0.2f" : a >= 1 ? "%0.3f" : "%0.4f", v);
}

std::string deviation(double value, double published)
{
    if (std::isnan(published) || std::isnan(value) || published == 0)
        return "";
    const double d = (value / published - 1) * 100;
    return " (" + std::string(d >= 0 ? "+" : "") + Format("%0.1f", d) + " %)";
}

} // namespace

std::string AccuracyPageHtml(const std::vector<TAccuracyCase>& cases)
{
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<title>ZMK coil rating - accuracy</title>\n"
        "<style>\nbody { font-family: Arial, Helvetica, sans-serif; font-size: 10pt; margin: 1em 2em; "
        "max-width: 60em; }\nh1 { font-size: 16pt; }\nh2 { font-size: 13pt; margin-top: 1.6em; "
        "border-bottom: "
        "1px solid #999; }\ntable { border-collapse: collapse; margin: 0.5em 0; }\nth, td { border: 1px "
        "solid "
        "#bbb; padding: 2px 6px; text-align: left; vertical-align: top; }\nth { background: #eee; }\n"
        "td.n { text-align: right; white-space: nowrap; }\n</style>\n</head>\n<body>\n\n"
        "<h1>Accuracy</h1>\n\n"
        "<p>ZMK rates the air side of a coil by one of two methods, chosen in Design Settings (the "
        "<code>airside</code> input on the command line): <b>Standard</b>, the program's own fin-and-tube "
        "correlation with a fin efficiency worked out once and the counterflow effectiveness, and "
        "<b>Published correlations</b>: for plain fins the j and f of Wang, Chi &amp; Chang (Int. J. Heat "
        "Mass Transfer 43 (2000) 2693&ndash;2700), for louvered fins those of Wang, Lee, Chang &amp; Lin "
        "(Int. J. Heat Mass Transfer 42 (1999) 1945&ndash;1956) and for wavy (herringbone) fins those of "
        "Wang, Jang &amp; Chiou (Int. J. Heat Mass Transfer 42 (1999) 1919&ndash;1924), the fin efficiency "
        "at the actual coefficient by Schmidt's sector method (Refrigerating Engineering 57 (1949) "
        "351&ndash;357), on wet fins on the enthalpy potential (Threlkeld, Thermal Environmental "
        "Engineering, 1970), the air pressure drop from the same friction factor, and the effectiveness "
        "of one-, two- and three-row coils by their own relations (ESDU 86018, 1986), counterflow from "
        "four rows. The fin type is the catalogue pattern's (plain where the catalogue gives none; the "
        "<code>fintype</code> input on the command line); the standard method does not read it. Outside "
        "the range a correlation was fitted to (for plain fins Re(Dc) 300&ndash;20000, collar diameter "
        "6.35&ndash;12.7 mm, fin pitch 1.19&ndash;8.7 mm, tube pitch 17.7&ndash;31.75 mm, row pitch "
        "12.4&ndash;27.5 mm, 1&ndash;6 rows, staggered tubes) the result carries a warning naming the "
        "correlation and the parameter, and a louver or wave dimension the pattern does not give is taken "
        "at its default (louvers 2.4 mm pitch and 1.0 mm high, waves 1.8 mm deep, four half waves to a "
        "row) with a warning saying so. A wavy fin is rated on its real area, longer than its projection "
        "by sec&theta; (tan&theta; the wave depth over half a wave), unless the pattern's fin area factor "
        "counts it already.</p>\n\n"
        "<p>For the louvered and wavy correlations no j and f points of the papers' own samples were at "
        "hand: their lines below compare this program's j and f with the same equations as two "
        "open-source fin-and-tube models transcribe them, evaluated apart for the same pattern. They "
        "show that the equations were taken over without a slip; they do not show how well the "
        "correlations fit the coils they came from.</p>\n\n"
        "<p>The tables below are written by the program's tests from the cases they check: each line "
        "gives the published answer, the value of each method and, where a method is held to the answer, "
        "the tolerance it is held to. The worked examples are rated at the example's conductance UA and "
        "flow arrangement. The sources are listed at the end.</p>\n";
    // The sources, numbered in the order they first appear, are listed under the tables.
    std::vector<std::string> sources;
    const auto sourceNumber = [&sources](const std::string& source) {
        for (std::size_t i = 0; i < sources.size(); ++i)
            if (sources[i] == source)
                return i + 1;
        sources.push_back(source);
        return sources.size();
    };
    std::string group;
    for (const TAccuracyCase& c : cases) {
        if (c.Group != group) {
            if (!group.empty())
                html += "</table>\n";
            group = c.Group;
            html += "\n<h2>" + group +
                    "</h2>\n<table>\n<tr><th>Case</th><th>Quantity</th><th>Published</th>"
                    "<th>Standard</th><th>Published correlations</th><th>Checked</th><th>Source</th></tr>\n";
        }
        std::string checked;
        if (c.Tolerance > 0) {
            checked = Format(c.Tolerance >= 0.01 ? "within %0.0f %%" : "within %0.1f %%", c.Tolerance * 100);
            checked += c.ChecksStandard && c.ChecksPublished ? ", both"
                       : c.ChecksPublished                   ? ", published"
                                                             : ", standard";
        }
        html += "<tr><td>" + c.Name + "</td><td>" + c.Quantity + "</td><td class=\"n\">" +
                number(c.Published) + "</td><td class=\"n\">" + number(c.Standard) +
                deviation(c.Standard, c.Published) + "</td><td class=\"n\">" + number(c.WithPublished) +
                deviation(c.WithPublished, c.Published) + "</td><td>" + checked + "</td><td>[" +
                std::to_string(sourceNumber(c.Source)) + "]</td></tr>\n";
    }
    if (!group.empty())
        html += "</table>\n";
    html += "\n<h2>Sources</h2>\n<ol>\n";
    for (const std::string& source : sources)
        html += "<li>" + source + "</li>\n";
    html += "</ol>\n";
    html += "\n<p><a href=\"index.htm\">Back to the help index</a></p>\n\n</body>\n</html>\n";
    return html;
}

} // namespace zmk
