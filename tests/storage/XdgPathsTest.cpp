#include "storage/XdgPaths.h"

#include <gtest/gtest.h>

#include <map>

#include "storage/FileDefaultsStore.h"

namespace orvale {
namespace {

EnvironmentLookup environment(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> std::optional<std::string> {
        auto found = values.find(name);
        if (found == values.end()) return std::nullopt;
        return found->second;
    };
}

TEST(XdgPathsTest, AbsoluteVariablesWin) {
    auto env = environment(
        {{"HOME", "/home/ada"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/data"}});
    EXPECT_EQ(configHome(env), std::filesystem::path("/cfg"));
    EXPECT_EQ(dataHome(env), std::filesystem::path("/data"));
    EXPECT_EQ(FileDefaultsStore::defaultPath(env),
              std::filesystem::path("/cfg/Orvale/preferences.json"));
}

TEST(XdgPathsTest, EmptyOrRelativeVariablesFallBackToTheHomeFolder) {
    for (const char* value : {"", "relative/dir", "./cfg"}) {
        auto env = environment(
            {{"HOME", "/home/ada"}, {"XDG_CONFIG_HOME", value}, {"XDG_DATA_HOME", value}});
        EXPECT_EQ(configHome(env), std::filesystem::path("/home/ada/.config")) << value;
        EXPECT_EQ(dataHome(env), std::filesystem::path("/home/ada/.local/share")) << value;
    }
}

TEST(XdgPathsTest, NoHomeMeansNoFolder) {
    EXPECT_FALSE(configHome(environment({})));
    EXPECT_FALSE(dataHome(environment({{"HOME", "not/absolute"}})));
    EXPECT_FALSE(FileDefaultsStore::defaultPath(environment({})));
}

TEST(XdgPathsTest, ProcessEnvironmentAlwaysFindsAHome) {
    // HOME may be unset for services; the password database answers then.
    auto home = homeFolder(processEnvironment());
    ASSERT_TRUE(home);
    EXPECT_TRUE(home->is_absolute());
}

}  // namespace
}  // namespace orvale
