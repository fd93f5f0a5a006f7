// CProfile: the program's settings, kept by QSettings (organization "Helka", application
// "Orlo") as INI text in the group "ORLO" of ~/.config/Helka/Orlo.conf.
//
// Reading: the constructor takes the file as it is on disk now (values another QSettings
// object of this program still holds are written out first). A settings file that is no
// plain file (a FIFO, a folder, a device; looked at through symbolic links before QSettings
// may open it) is never opened: the settings are the defaults then, and Save writes
// nothing. QSettings's INI reader takes a value with a comma in it for a list
// (`2D0=/disks/a, b.d88`, written by hand); such a value reads as the one string it is:
// the text after '=' on its line, less the blanks at either end, when that line is plain
// text; else the list's items joined with ", ". A path with a comma is written in quotes,
// which reads back as the path.
//
// Writing: Write* only note values; Save puts them all into the file at once and never
// leaves a file that lacks any of them. The file written is the one the name leads to
// through symbolic links (a relative target read from the link's folder), made, with its
// folder, when there is none yet; the links stay. The save works in a private folder
// beside that file (platform/save_folder.h): a copy of the old file, read first, gives
// what the file must hold (every key and group it had, with the new values); QSettings
// puts the values into the copy, which is then read back through a QSettings that has
// never seen it and compared with that, key by key, so that a file changed under the save
// is never put in place. It is synced and renamed over the old file, with the old file's
// permissions, and the folder is synced. When anything short of that fails (a full disk,
// the file-size limit, a read-only folder), the old file stays as it was, the private
// folder is removed, and Save answers the message for the user, naming the file and the
// system's reason. A save also removes the private folders that saves cut short left
// beside the file, and only those nobody holds.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QSettings;

class CProfile {
public:
    CProfile();
    ~CProfile();
    CProfile(const CProfile&) = delete;
    CProfile& operator=(const CProfile&) = delete;

    // The value of `name` in the group: empty, or `def`, when there is none.
    std::string GetString(const char* name) const;
    int GetInt(const char* name, int def) const;

    void WriteString(const char* name, const std::string& value); // UTF-8
    void WriteInt(const char* name, int value);

    // Writes every value given to Write*. True when the file holds them all (or is no plain
    // file and is not written); else the file is as it was and `failure` holds the message
    // for the user (UTF-8).
    bool Save(std::string& failure);

    // The settings file's name (UTF-8), and whether it is something else than a plain
    // file, so that the defaults are used and nothing is written.
    const std::string& FileName() const { return m_strFile; }
    bool NotPlainFile() const { return !m_settings; }

    // For tests: called before the steps "write" (QSettings puts the values into the
    // copy) and "sync" (the copy is synced) of every save with the file the step works
    // on; an errno it answers fails that step. Null: none.
    using SaveHook = std::function<int(const char* step, const std::string& file)>;
    static void SetSaveHook(SaveHook hook);

private:
    std::string m_strFile;
    std::unique_ptr<QSettings> m_settings; // the file as read, in the group; null: no plain file
    std::vector<std::pair<std::string, std::string>> m_writes;
};
