#include "base/IniFile.h"

#include "base/Errors.h"
#include "base/Latin1.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace zmk {

namespace fs = std::filesystem;

TEST(IniFile, ParsesSectionsAndKeysInOrder)
{
    IniFile ini;
    ini.Parse("; comment\r\nstray=1\r\n[One]\r\nb=2\r\n  a = x y  \r\n\r\n# note\r\nnoequals\r\nb=3\r\n=5\r\n"
              "[Two]\nk=v\n[one]\nc=4\n[]\nlost=1\n[Three]\rz=9");
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"One", "Two", "Three"}));
    EXPECT_EQ(ini.ReadSection("ONE"), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(ini.ReadString("one", "A", "-"), "x y");
    EXPECT_EQ(ini.ReadString("one", "b", "-"), "2"); // a repeated key keeps its first value
    EXPECT_EQ(ini.ReadString("two", "k", "-"), "v");
    EXPECT_EQ(ini.ReadString("three", "z", "-"), "9");
    EXPECT_EQ(ini.ReadString("two", "missing", "-"), "-");
    EXPECT_FALSE(ini.ValueExists("one", "lost"));
    EXPECT_FALSE(ini.SectionExists("four"));
    EXPECT_TRUE(ini.SectionExists("TWO"));
}

TEST(IniFile, TypedValuesWithFallbacks)
{
    IniFile ini;
    ini.Parse("[s]\ni=42\nh=$1F\nneg=-7\nbad=4x\nf=2.5E-3\nt=TRUE\nf0=false\nb1=1\nb0=0\nbb=maybe\n");
    EXPECT_EQ(ini.ReadInteger("s", "i", 0), 42);
    EXPECT_EQ(ini.ReadInteger("s", "h", 0), 31);
    EXPECT_EQ(ini.ReadInteger("s", "neg", 0), -7);
    EXPECT_EQ(ini.ReadInteger("s", "bad", 5), 5);
    EXPECT_EQ(ini.ReadInteger("s", "none", 6), 6);
    EXPECT_DOUBLE_EQ(ini.ReadFloat("s", "f", 0), 2.5e-3);
    EXPECT_EQ(ini.ReadFloat("s", "bad", 1.5), 1.5);
    EXPECT_TRUE(ini.ReadBool("s", "t", false));
    EXPECT_FALSE(ini.ReadBool("s", "f0", true));
    EXPECT_TRUE(ini.ReadBool("s", "b1", false));
    EXPECT_FALSE(ini.ReadBool("s", "b0", true));
    EXPECT_TRUE(ini.ReadBool("s", "bb", true));
    EXPECT_FALSE(ini.ReadBool("s", "none", false));
}

TEST(IniFile, WritesKeepOrderAndSectionsCanBeRewritten)
{
    IniFile ini;
    ini.WriteString("b", "x", "1");
    ini.WriteInteger("a", "y", -2);
    ini.WriteString("B", "X", "changed"); // same key, any case: replaced in place
    ini.WriteBool("b", "z", true);
    EXPECT_EQ(ini.Bytes(), "[b]\r\nx=changed\r\nz=true\r\n\r\n[a]\r\ny=-2\r\n");
    ini.EraseSection("B");
    ini.WriteString("b", "w", "new");
    EXPECT_EQ(ini.Bytes(), "[a]\r\ny=-2\r\n\r\n[b]\r\nw=new\r\n");
    ini.DeleteKey("a", "Y");
    EXPECT_EQ(ini.ReadSection("a"), std::vector<std::string>{});
    EXPECT_EQ(ini.ReadSectionValues("b"), (std::vector<std::pair<std::string, std::string>>{{"w", "new"}}));
}

TEST(IniFile, RefusesNamesAndValuesThatBreakTheLineFormat)
{
    IniFile ini;
    EXPECT_THROW(ini.WriteString("s", "a=b", "1"), ZmkError);
    EXPECT_THROW(ini.WriteString("s", "", "1"), ZmkError);
    EXPECT_THROW(ini.WriteString("s", "[k", "1"), ZmkError);
    EXPECT_THROW(ini.WriteString("s]", "k", "1"), ZmkError);
    EXPECT_THROW(ini.WriteString("s", "k", "two\r\nlines"), ZmkError);
    EXPECT_THROW(ini.WriteString(" ", "k", "1"), ZmkError);
    EXPECT_EQ(ini.Bytes(), "");
}

TEST(IniFile, RealsReadBackBitForBit)
{
    const double values[] = {
        0.1, -1.0 / 3, 1e-300, 123456.789, 6.02214076e23, 5e-324, std::numeric_limits<double>::max(),
        0.0, 101.325};
    for (double v : values) {
        IniFile ini;
        ini.WriteFloat("r", "v", v);
        IniFile back;
        back.Parse(ini.Bytes());
        const double r = back.ReadFloat("r", "v", 99);
        EXPECT_EQ(std::memcmp(&r, &v, sizeof v), 0) << ini.ReadString("r", "v", "") << " for " << v;
        EXPECT_EQ(ini.ReadString("r", "v", "").find_first_of("e+"), std::string::npos);
    }
}

TEST(IniFile, Latin1OnDiskUtf8InMemory)
{
    IniFile ini;
    ini.WriteString("labels", "t", "°C");
    ini.WriteString("labels", "far", "€"); // outside Latin-1
    EXPECT_EQ(ini.Bytes(), "[labels]\r\nt=\xB0"
                           "C\r\nfar=?\r\n");
    IniFile back;
    back.Parse("[labels]\r\nmu=\xB5Pa\r\n");
    EXPECT_EQ(back.ReadString("labels", "mu", ""), "µPa");

    EXPECT_EQ(Utf8ToLatin1("m³·s"), "m\xB3\xB7s");
    EXPECT_EQ(Utf8ToLatin1("a\xC3"), "a?");             // cut sequence
    EXPECT_EQ(Utf8ToLatin1("\xC3("), "?(");             // broken sequence resumes at the next byte
    EXPECT_EQ(Utf8ToLatin1("\xC1\x81"), "?");           // overlong ASCII
    EXPECT_EQ(Utf8ToLatin1("\xF0\x9F\x98\x80!"), "?!"); // four-byte character
    EXPECT_EQ(Utf8ToLatin1("\x80x"), "?x");
    EXPECT_EQ(Latin1ToUtf8("\xB0\xFF"), "°ÿ");
}

TEST(IniFile, SavesAndLoadsFiles)
{
    const fs::path dir = fs::temp_directory_path() / ("zmk-IniFile-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path file = dir / "settings.ini";
    IniFile ini;
    EXPECT_FALSE(ini.Load(file));
    ini.WriteString("Startup", "LastPath", "/home/u/Documents");
    ini.WriteFloat("Startup", "airon", 21.5);
    ASSERT_TRUE(ini.Save(file));
    IniFile back;
    ASSERT_TRUE(back.Load(file));
    EXPECT_EQ(back.Bytes(), ini.Bytes());
    EXPECT_EQ(back.ReadFloat("startup", "AIRON", 0), 21.5);
    // Only the target is left: the temporary file was renamed over it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_FALSE(ini.Save(dir / "no-such-folder" / "x.ini"));
    fs::remove_all(dir);
}

TEST(IniFile, TheIndexFollowsErasedSectionsAndDeletedKeys)
{
    IniFile ini;
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "[S" + std::to_string(i) + "]\r\nk=" + std::to_string(i) + "\r\nK2=x\r\n";
    ini.Parse(text);
    ASSERT_EQ(ini.ReadSections().size(), 2000u);
    ini.EraseSection("s0");
    ini.EraseSection("S1000");
    ini.DeleteKey("s5", "K");
    ini.WriteString("s7", "new", "n");
    struct Case
    {
        const char* section;
        const char* key;
        std::optional<std::string> value;
    };
    const Case cases[] = {
        {"S0", "k", std::nullopt}, {"s1000", "K", std::nullopt},
        {"s1", "K", "1"},          {"S999", "k", "999"},
        {"s1001", "k", "1001"},    {"S1999", "K2", "x"},
        {"s5", "k", std::nullopt}, {"S5", "k2", "x"},
        {"S7", "NEW", "n"},        {"S7", "k", "7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.Value(c.section, c.key), c.value) << c.section << "/" << c.key;
    EXPECT_EQ(ini.ReadSection("s5"), std::vector<std::string>{"K2"});
    EXPECT_EQ(ini.ReadSection("s7"), (std::vector<std::string>{"k", "K2", "new"}));
    EXPECT_EQ(ini.ReadSections().size(), 1998u);
    EXPECT_EQ(ini.ReadSections().front(), "S1");
    // A section written after its erasure comes back at the end.
    ini.WriteString("s0", "k", "again");
    EXPECT_EQ(ini.ReadSections().back(), "s0");
}

TEST(IniFile, ControlCharactersStayInsideTheirLine)
{
    IniFile ini;
    ini.Parse("[a]\r\nk=x\x01y\tz\x0b\x85w\r\n[b\x02]\r\n\x03key\x04=v\r\n");
    EXPECT_EQ(ini.ReadString("a", "k", ""), "x y z  w");
    EXPECT_EQ(ini.ReadString("b", "key", "-"), "v");
    ini.WriteString("a", "caption", "Thermal\x1bOil\x7f");
    EXPECT_EQ(ini.ReadString("a", "caption", ""), "Thermal Oil");
    EXPECT_EQ(ini.Bytes(), "[a]\r\nk=x y z  w\r\ncaption=Thermal Oil\r\n\r\n[b]\r\nkey=v\r\n");
    // A key that would start another section once its control character is a blank.
    EXPECT_THROW(ini.WriteString("a", "\x01[x", "1"), ZmkError);
    IniFile back;
    back.Parse(ini.Bytes());
    EXPECT_EQ(back.Bytes(), ini.Bytes());
}

TEST(IniFile, LoadReadsOnlyRegularFilesWithinTheLimit)
{
    const fs::path dir = fs::temp_directory_path() / ("zmk-IniFileLoad-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    ASSERT_EQ(::mkfifo((dir / "pipe.ini").c_str(), 0644), 0);
    std::ofstream(dir / "small.ini") << "[s]\r\nk=v\r\n";
    IniFile ini;
    EXPECT_FALSE(ini.Load(dir / "pipe.ini"));
    EXPECT_EQ(ini.LoadStatus(), TFileReadStatus::NotAFile);
    EXPECT_NE(ini.LoadError().find("named pipe"), std::string::npos);
    EXPECT_FALSE(ini.Load(dir / "small.ini", 5));
    EXPECT_EQ(ini.LoadStatus(), TFileReadStatus::TooLarge);
    EXPECT_TRUE(ini.Load(dir / "small.ini"));
    EXPECT_EQ(ini.ReadString("S", "K", ""), "v");
    EXPECT_FALSE(ini.Load(dir / "missing.ini"));
    EXPECT_EQ(ini.LoadStatus(), TFileReadStatus::Missing);
    EXPECT_TRUE(ini.ReadSections().empty());
    // A read-only file is refused, not replaced.
    ::chmod((dir / "small.ini").c_str(), 0444);
    std::string error;
    EXPECT_FALSE(ini.Save(dir / "small.ini", &error));
    EXPECT_NE(error.find("is read-only..."), std::string::npos) << error;
    fs::remove_all(dir);
}

} // namespace zmk
