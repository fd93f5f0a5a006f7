// The home folder the program keeps its files under: HOME when it is an absolute path, the
// user database's otherwise (unset, empty, relative), so that settings and rescued images
// never land under the root or the folder the program was started in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>

#include "platform/home.h"
#include "tests/platform/guards.h"

namespace {

TEST(Home, FromHomeWhenAbsoluteElseFromTheUserDatabase) {
    const passwd* pw = ::getpwuid(::getuid());
    if (!pw || pw->pw_dir[0] != '/') GTEST_SKIP() << "the user database gives this user no home";
    const std::string own = pw->pw_dir;
    const EnvVar data("XDG_DATA_HOME", "relative/data"), config("XDG_CONFIG_HOME", "/abs/config");
    for (const char* home : {(const char*)nullptr, "", "relative", "./x", "/home/elsewhere"}) {
        SCOPED_TRACE(home ? home : "(unset)");
        const EnvVar set("HOME", home);
        const std::string expected = home && home[0] == '/' ? home : own;
        EXPECT_EQ(UserHome(), expected);
        SettleHome();
        EXPECT_EQ(std::string(std::getenv("HOME")), expected);
        EXPECT_EQ(std::getenv("XDG_DATA_HOME"), nullptr); // relative: to be ignored
        EXPECT_STREQ(std::getenv("XDG_CONFIG_HOME"), "/abs/config");
        ::setenv("XDG_DATA_HOME", "relative/data", 1);
    }
}

} // namespace
