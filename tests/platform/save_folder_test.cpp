// The private folder of a save: exactly named, held locked while it lives, gone with what
// was put into it afterwards; and the cleanup of the folders cut-short saves left, which
// takes those and nothing else.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_save.h"
#include "platform/save_folder.h"
#include "tests/platform/guards.h"
#include "tests/platform/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kNames = {"old", "new"};

std::vector<std::string> Entries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SaveFolder, HeldWhileItLivesAndGoneWithItsFiles) {
    TempDir dir;
    const std::string target = dir / "Orlo.conf";
    WriteFile(target, "x");
    std::string path;
    {
        CSaveFolder save(target, kNames);
        ASSERT_EQ(save.Error(), 0);
        path = fs::path(save.Path("old")).parent_path().string();
        const std::string name = fs::path(path).filename().string(),
                          prefix = SaveTempPrefix("Orlo.conf");
        EXPECT_EQ(name.substr(0, prefix.size()), prefix);
        EXPECT_EQ(name.size(), prefix.size() + 6);
        // Another open of it finds it held.
        EXPECT_EQ(ErrnoOf([&] { CFile f(path + "/held", CFile::modeReadWrite); }), EWOULDBLOCK);
        for (const char* f : {"old", "new", "new.lock", "new.aB3dE9"}) // a writer's own too
            WriteFile(path + "/" + f, "x");
        EXPECT_EQ(RemoveSaveFolderLeftovers(target, kNames), 0); // in use
        EXPECT_EQ(Entries(path).size(), 5u);
    }
    EXPECT_EQ(Entries(dir.Path()), std::vector<std::string>{"Orlo.conf"});
}

// Removed: folders of exactly that naming whose "held" nobody holds, with nothing in them
// but what a save makes, and empty ones. Everything else stays as it was.
TEST(SaveFolder, LeftoversOfCutSavesGoOthersStay) {
    TempDir dir;
    const std::string target = dir / "Orlo.conf", prefix = SaveTempPrefix("Orlo.conf");
    const auto folder = [&](const std::string& name, std::vector<std::string> files) {
        fs::create_directory(dir / name);
        for (const std::string& f : files)
            WriteFile(dir / (name + "/" + f), "x");
    };
    folder(prefix + "Ab12Cd", {"held", "old", "new", "new.lock", "new.q1W2e3"});
    folder(prefix + "ZZ99zz", {});
    const std::vector<std::pair<std::string, std::vector<std::string>>> kept = {
        {prefix + "Live00", {"held", "new"}}, // a save that runs
        {prefix + "Other0", {"held", "new", "notes.txt"}},
        // Names that only begin like the save's own: the user's, not the writer's.
        {prefix + "Near00", {"held", "new", "new.bak", "newer", "new.q1W2e3x", "held.old"}},
        {prefix + "NoHeld", {"new"}},
        {prefix + "Short", {"held"}},
        {SaveTempPrefix("Orlo.con") + "Ab12Cd", {"held"}},
        {SaveTempPrefix("Orlo.cfg1") + "Ab12Cd", {"held"}}, // another file's
        {"elsewhere", {"held", "new"}},
    };
    for (const auto& [name, files] : kept)
        folder(name, files);
    folder(prefix + "Sub000", {"held"});
    fs::create_directory(dir / (prefix + "Sub000/new"));
    fs::create_directory_symlink("elsewhere", dir / (prefix + "Link00"));
    WriteFile(dir / (prefix + "File00"), "x");
    WriteFile(dir / "Orlo.conf.new-2024-06-01", "x"); // the user's backup
    // The save that runs holds its folder.
    CFile live(dir / (prefix + "Live00/held"), CFile::modeReadWrite);

    EXPECT_EQ(RemoveSaveFolderLeftovers(target, kNames), 2);
    std::vector<std::string> expected = {prefix + "Sub000", prefix + "Link00", prefix + "File00",
                                         "Orlo.conf.new-2024-06-01"};
    for (auto [name, files] : kept) {
        expected.push_back(name);
        std::sort(files.begin(), files.end());
        EXPECT_EQ(Entries(dir / name), files) << name;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(dir.Path()), expected);
    EXPECT_EQ(Entries(dir / (prefix + "Sub000")), (std::vector<std::string>{"held", "new"}));
}

} // namespace
