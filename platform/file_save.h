// Whole files written anew without ever leaving a half-written one in the user's folder.
//
// CFileSave makes a hidden temporary file beside the file it is to become, named after it
// (SaveTempPrefix: ".<name>.save" and six random letters or digits, or, where the name is
// too long for that, ".<the name's beginning>~<a hash of the whole name>.save..."; every
// such name fits the file system's 255 bytes). The caller writes the new contents into
// File(); Commit flushes it, gives it the permission bits, owner and group of the file it
// stands for (owner and group only where the process may set them) and renames it into
// place. A CFileSave destroyed without a commit removes its temporary file.
//
// A save cut short (the process killed, the machine down) leaves its temporary file;
// RemoveSaveLeftovers, called by whoever holds the file's lock, removes those of that file
// and nothing else.
#pragma once

#include <functional>
#include <string>

#include "platform/file.h"

class CFileSave {
public:
    // The temporary file for `target` (an absolute path) in target's folder, open and
    // locked. Throws CFileException naming `target`.
    explicit CFileSave(const std::string& target);
    ~CFileSave();
    CFileSave(const CFileSave&) = delete;
    CFileSave& operator=(const CFileSave&) = delete;

    CFile& File() { return m_file; }
    // Puts the new file in place under `name` (in the same folder), with `like`'s
    // permission bits, owner and group. With replace, whatever `name` names is
    // replaced; without, `name` must name nothing: false when it names something
    // (nothing changed then). Throws CFileException on a write, flush or rename error.
    bool Commit(const std::string& name, const CFile& like, bool replace);
    // Puts the new file in place under `name` if that names nothing, else under the first
    // free NameBeside(name, n) of the first thousand; answers the name it took. Throws
    // CFileException (EEXIST when all are taken).
    std::string CommitUnderFreeName(const std::string& name, const CFile& like);

private:
    std::string m_strTarget;
    std::string m_strTemp;
    CFile m_file;
    bool m_bCommitted = false;
};

// The name every temporary file of a save of `fileName` begins with; six letters or
// digits follow.
std::string SaveTempPrefix(const std::string& fileName);
// Whether `name` is `prefix` followed by six letters or digits, as temporary names are.
bool IsSaveTempName(const std::string& name, const std::string& prefix);
// The folder of `path`: "." for a bare name.
std::string FolderOf(const std::string& path);
// Removes the temporary files that cut-short saves of `target` (an absolute path) left in
// its folder: regular files of exactly that naming that nobody holds locked. Answers how
// many it removed.
int RemoveSaveLeftovers(const std::string& target);
// The n-th other name for `path` in its folder: "disk.d88" -> "disk-1.d88"; the
// extension stays, the stem is shortened where the name would be too long.
std::string NameBeside(const std::string& path, int n);
// Writes a new file into `folder` (made where missing, for the user alone) named after
// `name` with the local time, "disk.d88" -> "disk-20250102-030405.d88" ("...-1.d88" and so
// on where that is taken). `write` fills it; it is flushed before it takes its name, so a
// file of that name is always whole. Answers its path; throws CFileException, leaving
// nothing behind.
std::string WriteTimedFile(const std::string& folder, const std::string& name,
                           const std::function<void(CFile&)>& write);
