// A private folder beside a file, in which a new version of that file is made by a writer
// that replaces what it writes by rename (so that a lock on a file it writes would not
// last): QSettings.
//
// CSaveFolder makes the folder in the file's folder, named exactly as CFileSave names its
// temporary files (SaveTempPrefix of the file's name and six random letters or digits),
// and in it the file "held", which it keeps open and locked (flock, which a network file
// system passes on to the server) from the moment it exists until the folder is gone.
// Once it holds the lock it checks that the name still leads to that file; else it makes
// another folder. The caller puts into the folder only files of the names it gives the
// constructor; the writer may add its own beside each (the name followed by ".lock", or by
// "." and six letters or digits). Destroyed, it removes those files and the folder.
//
// A save cut short (the process killed, the machine down) leaves its folder behind.
// RemoveSaveFolderLeftovers removes the folders of saves of a file that nobody runs any
// more: of exactly that naming, a folder and not a link, its "held" locked by nobody (or
// the folder empty), still under that name, holding nothing but what a save puts there.
// Where the file system has no locks, it removes none: nobody can tell whether the save
// that made one still runs (on this machine or another that shares the folder).
#pragma once

#include <string>
#include <vector>

class CSaveFolder {
public:
    // The folder for `target` (a path) in target's folder; Error() tells whether it exists.
    CSaveFolder(const std::string& target, std::vector<std::string> names);
    ~CSaveFolder();
    CSaveFolder(const CSaveFolder&) = delete;
    CSaveFolder& operator=(const CSaveFolder&) = delete;

    int Error() const { return m_nError; } // 0, or the errno of the failure to make it
    // The path of the file `name` (one of the names) in the folder.
    std::string Path(const std::string& name) const { return m_strPath + "/" + name; }

private:
    std::vector<std::string> m_names;
    std::string m_strPath; // empty when there is no folder
    int m_fdHeld = -1;
    int m_nError = 0;
};

// Removes what cut-short saves of `target` left in its folder, as said above; `names` are
// those the saves gave their files. Answers how many folders it removed.
int RemoveSaveFolderLeftovers(const std::string& target, const std::vector<std::string>& names);
