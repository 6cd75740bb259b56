#include "storage/XdgPaths.h"

#include <gtest/gtest.h>

#include <map>

#include "storage/FileDefaultsStore.h"
#include "storage/StorePaths.h"

namespace orvale {
namespace {

EnvironmentLookup environment(std::map<std::string, std::string> values) {
    return [values = std::move(values)](const char* name) -> std::optional<std::string> {
        auto found = values.find(name);
        if (found == values.end()) return std::nullopt;
        return found->second;
    };
}

TEST(XdgPathsTest, AbsoluteVariablesWinAndOthersFallBackToTheHomeFolderIfAny) {
    auto env = environment(
        {{"HOME", "/home/ada"}, {"XDG_CONFIG_HOME", "/cfg"}, {"XDG_DATA_HOME", "/data"}});
    EXPECT_EQ(FileDefaultsStore::defaultPath(env), "/cfg/Orvale/preferences.json");
    EXPECT_EQ(StorePaths::forEnvironment(env), StorePaths::in("/data/Orvale"));
    EXPECT_EQ(StorePaths::in("/data/Orvale").legacyDirectory(), "/data/layouts");
    for (const char* value : {"", "relative/dir", "./cfg"}) {
        env = environment(
            {{"HOME", "/home/ada"}, {"XDG_CONFIG_HOME", value}, {"XDG_DATA_HOME", value}});
        EXPECT_EQ(configHome(env), "/home/ada/.config") << value;
        EXPECT_EQ(dataHome(env), "/home/ada/.local/share") << value;
    }
    // Without an absolute home there is no folder at all.
    EXPECT_FALSE(configHome(environment({})));
    EXPECT_FALSE(dataHome(environment({{"HOME", "not/absolute"}})));
    EXPECT_FALSE(StorePaths::forEnvironment(environment({})));
    // HOME may be unset for services; the password database answers then.
    EXPECT_TRUE(homeFolder(processEnvironment()).value_or("").is_absolute());
}

}  // namespace
}  // namespace orvale
