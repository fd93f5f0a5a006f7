// CProfile: the program's settings, kept by QSettings (organization "Helka", application
// "Orlo") as INI text in the group "ORLO" of ~/.config/Helka/Orlo.conf.
//
// Reading: the constructor takes the file as it is on disk now (values another QSettings
// object of this program still holds are written out first). QSettings's INI reader takes
// a value with a comma in it for a list (`2D0=/disks/a, b.d88`, written by hand); such a
// value reads as the one string it is: the text after '=' on its line, less the blanks at
// either end, when that line is plain text; else the list's items joined with ", ". A
// path with a comma is written in quotes, which reads back as the path.
//
// Writing: Write* only note values; Save puts them all into the file at once and never
// leaves a file that lacks any of them. The values go into a new file in the same folder
// that starts as a copy of the old one, so every other key and group stays; that file is
// read back through a QSettings that has never seen it and compared key by key, synced,
// renamed over the old file (over the file a symbolic link points to), and the folder is
// synced. When anything short of that fails (a full disk, the file-size limit, a
// read-only folder), the old file stays as it was, the new one is removed, and Save
// answers the message for the user, naming the file and the system's reason. A save also
// removes what saves of a process that no longer runs left beside the file.
#pragma once

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

    // Writes every value given to Write*. True when the file holds them all; else the file
    // is as it was and `failure` holds the message for the user (UTF-8).
    bool Save(std::string& failure);

private:
    std::unique_ptr<QSettings> m_settings; // the file as read, in the group
    std::vector<std::pair<std::string, std::string>> m_writes;
};
