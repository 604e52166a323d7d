#include "core/personal_browser.h"
#include "core/manager_rules.h"

#include <gtest/gtest.h>

TEST(PersonalCommandLine, BothOrdersAndBadLines)
{
    struct Case {
        const char* line;
        bool ok;
        const char* config;
        const char* package;
        const char* address;
    } cases[] = {
        {"-c:C:\\s\\a.tvc -u:http://h/p", true, "C:\\s\\a.tvc", "C:\\s\\a.tvd", "http://h/p"},
        {"-u:http://h/p -c:C:\\s\\a.tvc", true, "C:\\s\\a.tvc", "C:\\s\\a.tvd", "http://h/p"},
        {"-c:C:\\s\\a.tvc", true, "C:\\s\\a.tvc", "C:\\s\\a.tvd", ""},
        {"-c:C:\\s\\a.tvc -u:", true, "C:\\s\\a.tvc", "C:\\s\\a.tvd", ""},
        {"-u: -c:C:\\s\\a.tvc", true, "C:\\s\\a.tvc", "C:\\s\\a.tvd", ""},
        {"-c:C:\\my skins\\b.x.tvc -u:./start.html", true, "C:\\my skins\\b.x.tvc",
         "C:\\my skins\\b.x.tvd", "./start.html"},
        {"-c:\"C:\\a b\\c.tvc\" -u:x", true, "C:\\a b\\c.tvc", "C:\\a b\\c.tvd", "x"},
        {"-c:noext.tvc", true, "noext.tvc", "noext.tvd", ""},
        {"-u:http://h/p", false, "", "", ""},                     // no "-c:"
        {"", false, "", "", ""},
        {"-c:C:\\s\\skin -u:http://h/", false, "", "", ""},        // no '.'
        {"-c:C:\\s.d\\skin -u:http://h/", false, "", "", ""},      // '.' only in a folder
        {"-c: -u:http://h/a.b", false, "", "", ""},               // empty path
        {"-C:C:\\s\\a.tvc", false, "", "", ""},                    // tags are lower case
    };
    for (const Case& c : cases) {
        PersonalCommandLine line;
        line.configPath = "untouched";
        ASSERT_EQ(c.ok, ParsePersonalCommandLine(c.line, &line)) << c.line;
        if (!c.ok) {
            EXPECT_EQ("untouched", line.configPath) << c.line;
            continue;
        }
        EXPECT_EQ(c.config, line.configPath) << c.line;
        EXPECT_EQ(c.package, line.packagePath) << c.line;
        EXPECT_EQ(c.address, line.address) << c.line;
    }
}

TEST(PersonalCommandLine, ArgumentsAfterTheProgramName)
{
    EXPECT_EQ("-c:a.tvc -u:x", CommandLineArguments("\"C:\\p q\\brela.exe\"  -c:a.tvc -u:x"));
    EXPECT_EQ("-c:a.tvc", CommandLineArguments("C:\\p\\tvfbrowser.tve -c:a.tvc"));
    EXPECT_EQ("", CommandLineArguments("brela.exe"));
    EXPECT_EQ("", CommandLineArguments("\"unclosed -c:a.tvc"));
    EXPECT_EQ("", CommandLineArguments(""));
}

TEST(PersonalCommandLine, TheManagersQuotedFormReadsBack)
{
    // The manager quotes the program's path; a blank in it must not end the
    // program name early, nor reach the configuration path.
    const std::string whole = mgr::BrowserCommandLine(
        "C:\\Program Files\\Tavik Personal\\tvfbrowser.tve",
        "C:\\windows\\tavik\\cache\\h\\%1a%1\\main.tvc", "http://h/a/");
    EXPECT_EQ("\"C:\\Program Files\\Tavik Personal\\tvfbrowser.tve\"", whole.substr(0, whole.find(" -c:")));
    PersonalCommandLine line;
    ASSERT_TRUE(ParsePersonalCommandLine(CommandLineArguments(whole), &line));
    EXPECT_EQ("C:\\windows\\tavik\\cache\\h\\%1a%1\\main.tvc", line.configPath);
    EXPECT_EQ("C:\\windows\\tavik\\cache\\h\\%1a%1\\main.tvd", line.packagePath);
    EXPECT_EQ("http://h/a/", line.address);
}

TEST(PersonalBrowser, VersionCheck)
{
    struct Case {
        const char* version;
        const char* build;
        bool ok;
    } cases[] = {
        {"9.11.9600.18376", "99600", true},
        {"4.70.1300", nullptr, true},
        {"3.02", nullptr, false},
        {"3.02", "1300", true},
        {"3.02", "1299", false},
        {nullptr, "1300", true},
        {nullptr, "abc", false},
        {nullptr, nullptr, false},
        {"", "", false},
        {"x.5", "2000", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.ok, BrowserVersionAccepted(c.version, c.build))
            << (c.version ? c.version : "(none)") << " / " << (c.build ? c.build : "(none)");
}

TEST(PersonalBrowser, SkinFunctionsInTheirOrder)
{
    struct Case {
        const char* function;
        CommandKind kind;
    } cases[] = {
        {"BACKWARD", kCmdBack},
        {"forward", kCmdForward},
        {"Refresh", kCmdRefresh},
        {"stop", kCmdStop},
        {"EXIT", kCmdExit},
        {"home page", kCmdHome},
        {"NAVIGATE:http://h/", kCmdNavigate},
        {"navigate:", kCmdNavigate},
        {"NAVIGATE", kCmdNone},  // needs its colon
        {"PRINT", kCmdPrint},
        {"shortcut", kCmdShortCut},
        {"Add Favorite", kCmdAddFavorite},
        {"View Source", kCmdViewSource},
        {"minimize", kCmdMinimize},
        {"mailto:a@b", kCmdMailTo},
        {"MailTo", kCmdNone},
        {"Internet Options", kCmdInternetOption},
        {"javascript:alert(1)", kCmdScript},
        {"VBSCRIPT:x", kCmdScript},
        {"Favorites", kCmdFavorite},
        {"NewTavik:a b", kCmdNone},  // not in this program's vocabulary
        {"", kCmdNone},
        {" BACK", kCmdNone},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kind, MatchPersonalCommand(c.function)) << c.function;
    EXPECT_STREQ("BACK", kPersonalCommandWords[0].text);
    EXPECT_STREQ("Favorite", kPersonalCommandWords[kPersonalCommandWordCount - 1].text);
}

TEST(PersonalBrowser, NavigateText)
{
    const char* folder = "C:\\prog";
    struct Case {
        const char* text;
        const char* current;
        bool go;
        const char* target;
    } cases[] = {
        {"http://wrap/?u=%%URL%%", "http://site/a", true, "http://wrap/?u=http://site/a"},
        {"http://wrap/?u=%%url%%&x=1", "http://site/a", true, "http://wrap/?u=http://site/a&x=1"},
        {"http://wrap/?u=%%URL%%", "HTTP://WRAP/?u=http://site/a", false, ""},  // already wrapped
        {"%%URL%%", "http://site/a", true, "http://site/a"},  // empty prefix never blocks
        {"%%url%%", "", false, ""},
        {"a%%url%%b%%URL%%", "X", true, "aXb%%URL%%"},  // lower case first, once
        {".\\help.html", "http://site/", true, "C:\\prog\\help.html"},
        {".", "", true, "C:\\prog"},
        {"http://other/", "http://site/", true, "http://other/"},
        {"", "http://site/", false, ""},
    };
    for (const Case& c : cases) {
        std::string target = "untouched";
        EXPECT_EQ(c.go, NavigateTarget(c.text, c.current, folder, &target)) << c.text;
        if (c.go) {
            EXPECT_EQ(c.target, target) << c.text;
        }
    }
}

TEST(PersonalBrowser, StartAddressAndProgramFolder)
{
    EXPECT_EQ("http://u/", StartAddress("http://u/", "http://dir/", "C:\\p"));
    EXPECT_EQ("http://dir/", StartAddress("", "http://dir/", "C:\\p"));
    EXPECT_EQ("C:\\p\\start.html", StartAddress(".\\start.html", "http://dir/", "C:\\p"));
    EXPECT_EQ("C:\\p\\home.html", StartAddress("", ".\\home.html", "C:\\p"));
    EXPECT_EQ("", StartAddress("", "", "C:\\p"));
    EXPECT_EQ("C:\\Program Files\\Tavik", ProgramFolder("C:\\Program Files\\Tavik\\tvfbrowser.tve"));
    EXPECT_EQ("", ProgramFolder("brela.exe"));
}

TEST(PersonalBrowser, MailCheck)
{
    EXPECT_EQ(kMailNoClients, DecideMail(false, "Mailer"));
    EXPECT_EQ(kMailNotInstalled, DecideMail(true, nullptr));
    EXPECT_EQ(kMailNotInstalled, DecideMail(true, ""));
    EXPECT_EQ(kMailNavigate, DecideMail(true, "Mailer"));
}

TEST(PersonalBrowser, Placement)
{
    const Box work{0, 0, 1280, 1000};
    const Box offsetWork{100, 50, 1380, 1050};  // a task bar on the left and top
    struct Case {
        Box window;
        int launch, align;
        Box workArea;
        Box want;
    } cases[] = {
        {{10, 20, 210, 120}, 1, 0, work, {540, 450, 740, 550}},          // centred
        {{10, 20, 210, 120}, 0, 0, work, {8, 18, 208, 118}},             // less 2 each way
        {{-50, -60, 150, 40}, 0, 0, work, {-2, -2, 198, 98}},            // pulled in first
        {{1200, 950, 1400, 1050}, 0, 0, work, {1078, 898, 1278, 998}},
        {{10, 20, 210, 120}, 0, 1, work, {264, 18, 464, 118}},           // + (1280 - 1024)
        {{10, 20, 210, 120}, 0, 6, work, {264, 18, 464, 118}},
        {{10, 20, 210, 120}, 0, 2, work, {8, 250, 208, 350}},            // + (1000 - 768)
        {{10, 20, 210, 120}, 0, 7, work, {8, 250, 208, 350}},
        {{10, 20, 210, 120}, 0, 3, work, {264, 250, 464, 350}},
        {{10, 20, 210, 120}, 0, 5, work, {8, 18, 208, 118}},
        // by the work area's width, not its right edge
        {{110, 70, 310, 170}, 0, 3, offsetWork, {364, 300, 564, 400}},
    };
    for (const Case& c : cases) {
        const Box got = PersonalPlacement(c.window, c.launch, c.align, c.workArea, c.workArea);
        EXPECT_EQ(c.want, got) << c.launch << "/" << c.align << " " << got.left << "," << got.top
                               << "," << got.right << "," << got.bottom;
    }
}
