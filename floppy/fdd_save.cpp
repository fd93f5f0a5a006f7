// Where a save of a floppy image puts it: in place while the image's name still names the
// open file, back under the name when that names nothing, beside it when the name was
// given to another file. Nothing the guest wrote is lost, and no file this image did not
// open is replaced.
#include <filesystem>
#include <new>

#include "floppy/file_fdd.h"
#include "platform/file_save.h"

namespace fs = std::filesystem;

namespace {
constexpr int kMaxNamesBeside = 1000; // "disk-1.d88" .. "disk-1000.d88"
} // namespace

void CFileFdd::Close() {
    m_nCurTrack = m_nCurSlot = -1;
    if (!IsOpen()) return;
    try {
        Save();
    } catch (...) {
        try {
            CFile::Close();
        } catch (const CFileException&) {
        }
        throw;
    }
    CFile::Close();
}

void CFileFdd::Save() {
    if (!IsOpen() || !HasUnsavedChanges()) return;
    const uint32_t changes = m_nChanges;
    const PathState where = CheckPath();
    if (where != PathState::same || m_bModified)
        Rewrite(where);
    else
        Flush();
    m_nSavedChanges = changes;
}

void CFileFdd::Rewrite(PathState where) {
    const std::string path = GetFilePath();
    std::string target = path;
    if (where == PathState::same) { // through a symbolic link: replace the file it names
        std::error_code ec;
        const fs::path real = fs::canonical(path, ec);
        if (!ec) target = real.string();
    }
    D88Layout layout;
    CFileSave save(target);
    try {
        if (m_bModified) layout = LayoutD88();
        if (m_bModified)
            WriteD88(save.File(), layout);
        else
            CopyFileTo(save.File());
    } catch (const std::bad_alloc&) {
        throw CFileException(target, ENOMEM);
    }
    // Looked at again: the name may have been given to another file while writing.
    std::string placed;
    if (CheckPath() == PathState::same) {
        save.Commit(target, *this, true);
        placed = path;
    } else if (save.Commit(target, *this, false)) {
        placed = target;
    }
    for (int n = 1; placed.empty(); ++n) {
        if (n > kMaxNamesBeside) throw CFileException(target, EEXIST);
        const std::string other = NameBeside(target, n);
        if (save.Commit(other, *this, false)) placed = other;
    }
    TakeOver(save.File(), placed); // the new file, already locked, is the image from now on
    if (m_bModified) AdoptD88(layout);
    // A sector selected for a transfer in progress goes on in the new file.
    m_nFilePos = kUnknownPos;
}

void CFileFdd::CopyFileTo(CFile& out) {
    m_nFilePos = kUnknownPos;
    Seek(0);
    std::vector<uint8_t> buf(1u << 18);
    while (const uint32_t n = CFile::Read(buf.data(), static_cast<uint32_t>(buf.size())))
        out.Write(buf.data(), n);
}
