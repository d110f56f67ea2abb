#include "Environment.h"

#include "NameRules.h"
#ifndef _WIN32
#include "StoreLocation.h"
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>

namespace zanver {
namespace {

// An environment as on Windows: names without regard to letter case.
EnvironmentLookup Env(std::map<std::string, std::string> variables) {
    return [variables](const std::string& name) -> std::optional<std::string> {
        for (const auto& [key, value] : variables)
            if (SameName(key, name))
                return value;
        return std::nullopt;
    };
}

TEST(ExpandEnvironmentTest, ReplacesKnownReferencesAndLeavesTheRest) {
    const auto env =
        Env({{"SystemRoot", "C:\\WINDOWS"}, {"Empty", ""}, {"X", "%SystemRoot%"}, {"A", "1"}});
    const std::pair<const char*, const char*> cases[] = {
        {"%SystemRoot%\\system32\\shell32.dll", "C:\\WINDOWS\\system32\\shell32.dll"},
        {"%SYSTEMROOT%;%systemroot%", "C:\\WINDOWS;C:\\WINDOWS"},
        {"a%Empty%b", "ab"},
        {"%X%", "%SystemRoot%"},  // values are not expanded again
        {"", ""},
        // Unknown and unpaired references stay.
        {"%Nope%\\x", "%Nope%\\x"},
        {"%Nope%A%", "%Nope%A%"},
        {"100%% %A%", "100%% 1"},
        {"50% off %A", "50% off %A"},
        {"%A%%A%%", "11%"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(ExpandEnvironment(text, env), expected) << text;
}

TEST(ExpandEnvironmentTest, ResultMustFitTheBuffer) {
    const auto env = Env({{"Long", std::string(2000, 'x')}});
    const std::string fits = std::string(kExpandBufferSize - 1 - 2000, 'a') + "%Long%";
    EXPECT_EQ(ExpandEnvironment(fits, env).size(), kExpandBufferSize - 1);
    const std::string tooLong = "a" + fits;
    EXPECT_EQ(ExpandEnvironment(tooLong, env), tooLong);
    const std::string doubled = "%Long%%Long%";
    EXPECT_EQ(ExpandEnvironment(doubled, env), doubled);
}

#ifdef _WIN32
void setenv(const char* name, const char* value, int) {
    _putenv_s(name, value);
}
void unsetenv(const char* name) {
    _putenv_s(name, "");
}
#endif

TEST(ExpandEnvironmentTest, ProcessEnvironmentFindsNamesWithoutRegardToCase) {
    setenv("ZANVER_TEST_DIR", "/opt/zv", 1);
    EXPECT_EQ(ExpandEnvironment("%ZANVER_TEST_DIR%/bin"), "/opt/zv/bin");
    EXPECT_EQ(ExpandEnvironment("%Zanver_Test_Dir%/bin"), "/opt/zv/bin");
    EXPECT_EQ(EnvironmentValue("zanver_test_dir"), "/opt/zv");
#ifndef _WIN32
    // The exact name wins over one differing in case.
    setenv("Zanver_Test_Dir", "mixed", 1);
    EXPECT_EQ(ExpandEnvironment("%ZANVER_TEST_DIR% %Zanver_Test_Dir%"), "/opt/zv mixed");
    unsetenv("Zanver_Test_Dir");
#endif
    unsetenv("ZANVER_TEST_DIR");
    EXPECT_EQ(ExpandEnvironment("%ZANVER_TEST_DIR%"), "%ZANVER_TEST_DIR%");
    EXPECT_EQ(EnvironmentValue("ZANVER_TEST_DIR"), std::nullopt);
}

#ifndef _WIN32
TEST(StoreLocationTest, DefaultPathFollowsTheDataHomeOrTheHomeFolder) {
    const std::string home = "/home/u/.local/share/zanver/registry.db";
    const std::pair<std::map<std::string, std::string>, std::string> cases[] = {
        {{{"XDG_DATA_HOME", "/data"}, {"HOME", "/home/u"}}, "/data/zanver/registry.db"},
        {{{"XDG_DATA_HOME", "/data/"}}, "/data/zanver/registry.db"},
        // Empty or relative data homes do not count.
        {{{"XDG_DATA_HOME", ""}, {"HOME", "/home/u/"}}, home},
        {{{"XDG_DATA_HOME", "relative/dir"}, {"HOME", "/home/u"}}, home},
        {{}, ""},
    };
    for (const auto& [variables, expected] : cases)
        EXPECT_EQ(DefaultStorePath(Env(variables)), expected) << expected;
}

TEST(StoreLocationTest, StoreOptionWinsOverTheVariableWhichWinsOverTheDefault) {
    using Args = std::vector<std::string>;
    const auto environment = Env({{"ZANVER_STORE", "/env.db"}, {"HOME", "/h"}});
    const struct {
        Args args;
        std::string path;
        Args rest;
    } cases[] = {
        {{"file.txt", "--store", "/a.db", "--other", "--store=/b.db"},
         "/b.db",
         {"file.txt", "--other"}},
        {{"file.txt"}, "/env.db", {"file.txt"}},
        // After "--" nothing is an option.
        {{"--", "--store", "x"}, "/env.db", {"--", "--store", "x"}},
        // A --store without a name gives no store at all rather than another one.
        {{"x", "--store"}, "", {"x"}},
        {{"--store=", "x"}, "", {"x"}},
        {{"--store", "", "x", "--store=/a.db"}, "", {"x"}},
    };
    for (const auto& c : cases) {
        Args args = c.args;
        EXPECT_EQ(ChooseStorePath(args, environment), c.path) << c.args.size();
        EXPECT_EQ(args, c.rest);
    }
    Args args{"file.txt"};
    EXPECT_EQ(ChooseStorePath(args, Env({{"ZANVER_STORE", ""}, {"HOME", "/h"}})),
              "/h/.local/share/zanver/registry.db");

    // The argv form drops the store arguments and keeps argv null-terminated.
    std::string words[] = {"zanver", "--store", "/x.db", "file.txt", "--store=/y.db", "last"};
    char* argv[7] = {};
    for (int i = 0; i < 6; ++i)
        argv[i] = words[i].data();
    int argc = 6;
    EXPECT_EQ(ChooseStorePath(argc, argv), "/y.db");
    ASSERT_LE(argc, 6);
    EXPECT_EQ(Args(argv, argv + argc), (Args{"zanver", "file.txt", "last"}));
    EXPECT_EQ(argv[argc], nullptr);
}
#endif

}  // namespace
}  // namespace zanver
