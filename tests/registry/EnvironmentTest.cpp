#include "Environment.h"

#include "NameRules.h"

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

TEST(ExpandEnvironmentTest, ReplacesKnownReferences) {
    const auto env = Env({{"SystemRoot", "C:\\WINDOWS"}, {"Empty", ""}, {"X", "%SystemRoot%"}});
    EXPECT_EQ(ExpandEnvironment("%SystemRoot%\\system32\\shell32.dll", env),
              "C:\\WINDOWS\\system32\\shell32.dll");
    EXPECT_EQ(ExpandEnvironment("%SYSTEMROOT%;%systemroot%", env), "C:\\WINDOWS;C:\\WINDOWS");
    EXPECT_EQ(ExpandEnvironment("a%Empty%b", env), "ab");
    EXPECT_EQ(ExpandEnvironment("%X%", env), "%SystemRoot%");  // values are not expanded again
    EXPECT_EQ(ExpandEnvironment("no references", env), "no references");
    EXPECT_EQ(ExpandEnvironment("", env), "");
}

TEST(ExpandEnvironmentTest, UnknownEmptyAndUnpairedReferencesStay) {
    const auto env = Env({{"A", "1"}});
    EXPECT_EQ(ExpandEnvironment("%Nope%\\x", env), "%Nope%\\x");
    EXPECT_EQ(ExpandEnvironment("%Nope%A%", env), "%Nope%A%");
    EXPECT_EQ(ExpandEnvironment("100%% %A%", env), "100%% 1");
    EXPECT_EQ(ExpandEnvironment("50% off %A", env), "50% off %A");
    EXPECT_EQ(ExpandEnvironment("%A%%A%%", env), "11%");
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

#ifndef _WIN32
void SetVariable(const char* name, const char* value) {
    setenv(name, value, 1);
}
void UnsetVariable(const char* name) {
    unsetenv(name);
}
#else
void SetVariable(const char* name, const char* value) {
    _putenv_s(name, value);
}
void UnsetVariable(const char* name) {
    _putenv_s(name, "");
}
#endif

TEST(ExpandEnvironmentTest, ProcessEnvironmentFindsNamesWithoutRegardToCase) {
    SetVariable("ZANVER_TEST_DIR", "/opt/zv");
    EXPECT_EQ(ExpandEnvironment("%ZANVER_TEST_DIR%/bin"), "/opt/zv/bin");
    EXPECT_EQ(ExpandEnvironment("%Zanver_Test_Dir%/bin"), "/opt/zv/bin");
    EXPECT_EQ(EnvironmentValue("zanver_test_dir"), "/opt/zv");
    UnsetVariable("ZANVER_TEST_DIR");
    EXPECT_EQ(ExpandEnvironment("%ZANVER_TEST_DIR%"), "%ZANVER_TEST_DIR%");
    EXPECT_EQ(EnvironmentValue("ZANVER_TEST_DIR"), std::nullopt);
}

#ifndef _WIN32
TEST(ExpandEnvironmentTest, ExactNameWinsOverOneDifferingInCase) {
    SetVariable("ZANVER_TEST_CASE", "upper");
    SetVariable("Zanver_Test_Case", "mixed");
    EXPECT_EQ(ExpandEnvironment("%ZANVER_TEST_CASE% %Zanver_Test_Case%"), "upper mixed");
    UnsetVariable("ZANVER_TEST_CASE");
    UnsetVariable("Zanver_Test_Case");
}
#endif

}  // namespace
}  // namespace zanver
