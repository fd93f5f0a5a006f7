// Where a save of a floppy image puts it: in place while the image's name still names the
// open file, back under the name when that names nothing, beside it when the name was
// given to another file, and into the open file itself where the folder takes no new
// file; what a Close cannot save goes to a rescue file. Nothing the guest wrote is lost,
// and no file this image did not open is replaced.
#include <cerrno>
#include <filesystem>
#include <new>
#include <unistd.h>

#include "floppy/file_fdd.h"
#include "platform/file_save.h"

namespace fs = std::filesystem;

namespace {
// The folder refuses a new file, is not where it was, or the file cannot be replaced by
// another (a single file bound onto its name): the open file can still take the image. A
// full disk or the file-size limit is none of these.
bool RefusesNewFiles(int err) {
    return err == EACCES || err == EPERM || err == ENOENT || err == ENOTDIR || err == EROFS ||
           err == EBUSY || err == EXDEV;
}
} // namespace

void CFileFdd::Close() {
    m_nCurTrack = m_nCurSlot = -1;
    if (!IsOpen()) return;
    try {
        Save();
    } catch (...) {
        // Nothing the guest wrote goes with the program: the whole image goes to a file of
        // the user's own, unless the failed save left one already.
        if (m_strRescued.empty()) {
            try {
                m_strRescued = WriteRescueFile(nullptr);
            } catch (const CFileException& e) {
                m_nRescueError = e.m_nErrno;
            } catch (const std::bad_alloc&) {
                m_nRescueError = ENOMEM;
            }
        }
        m_rescueCopyFile.Release();
        try {
            CFile::Close();
        } catch (const CFileException&) {
        }
        throw;
    }
    m_rescueCopyFile.Release();
    CFile::Close();
}

void CFileFdd::Save() {
    if (!IsOpen() || !HasUnsavedChanges()) return;
    const uint32_t changes = m_nChanges;
    const PathState where = CheckPath();
    m_bFileAsBefore = where == PathState::same;
    // A write that stopped halfway left its damage in the file the name still names.
    m_bFileDamaged = m_bFileDamaged && where == PathState::same;
    m_strRescued.clear();
    m_nRescueError = 0;
    try {
        if (where != PathState::same || m_bModified)
            Rewrite(where);
        else
            FlushUnflushed();
    } catch (...) {
        // A rescue copy that already holds the image as it is now is named: nothing is lost.
        if (m_strRescued.empty() && RescueCopyIsCurrent()) m_strRescued = m_strRescueCopy;
        throw;
    }
    m_nSavedChanges = changes;
    m_bFileDamaged = false;
    MarkFlushed();
    // The image is whole in its file: the copy an in-place write kept is no longer needed
    // (a file the user put under its name stays).
    if (RescueCopyIsOurs()) ::unlink(m_strRescueCopy.c_str());
    m_strRescueCopy.clear();
    m_rescueCopyFile.Release();
}

void CFileFdd::FlushUnflushed() {
    m_nFilePos = kUnknownPos;
    m_nFileLength = GetLength();
    for (const CFddTrack& track : m_tracks)
        for (const CFddSect& s : track.m_sects)
            if (s.m_nState == CFddSect::stateFile && s.m_bUnflushed) {
                // What is held of it: a sector promised beyond the end is held whole once written.
                const auto n = static_cast<uint32_t>(HeldCount(s.m_nOffset, s.m_nSize));
                PutAt(*this, m_nFileLength, s.m_nOffset, m_image.data() + s.m_nOffset, n);
            }
    if (g_pFileTestSeam) g_pFileTestSeam("flush");
    Flush();
}

void CFileFdd::MarkFlushed() {
    for (CFddTrack& track : m_tracks)
        for (CFddSect& s : track.m_sects)
            s.m_bUnflushed = false;
}

bool CFileFdd::RescueCopyIsOurs() const {
    return !m_strRescueCopy.empty() && m_rescueCopyFile.IsNamedBy(m_strRescueCopy);
}

bool CFileFdd::RescueCopyIsCurrent() const {
    return RescueCopyIsOurs() && m_nRescueCopyChanges == m_nChanges;
}

std::string CFileFdd::WriteRescueFile(const std::vector<uint8_t>* image) {
    if (RescueCopyIsCurrent()) return m_strRescueCopy; // written already
    if (!image) HoldWhole();
    const uint32_t changes = m_nChanges;
    CFileHold written;
    const auto write = [&](CFile& out) {
        if (image) {
            out.Write(image->data(), static_cast<uint32_t>(image->size()));
        } else if (m_bModified) {
            const std::vector<uint8_t> built = BuildD88(LayoutD88());
            out.Write(built.data(), static_cast<uint32_t>(built.size()));
        } else {
            CopyFileTo(out);
        }
        written = CFileHold(out); // the same file once it has its name
    };
    // One copy a drive: a newer image replaces the one kept before, whole, under its name;
    // a file that is no longer the one written there is the user's and stays.
    if (RescueCopyIsOurs()) {
        try {
            CFileSave save(m_strRescueCopy);
            write(save.File());
            save.Commit(m_strRescueCopy, save.File(), true);
            m_rescueCopyFile = std::move(written);
            m_nRescueCopyChanges = changes;
            return m_strRescueCopy;
        } catch (const CFileException&) {
        }
    }
    const std::string path =
        WriteTimedFile(m_strRescueFolder, fs::path(OpenedPath()).filename(), write);
    // Ours, and an older image than the new copy's.
    if (RescueCopyIsOurs()) ::unlink(m_strRescueCopy.c_str());
    m_strRescueCopy = path;
    m_rescueCopyFile = std::move(written);
    m_nRescueCopyChanges = changes;
    return path;
}

void CFileFdd::Rewrite(PathState where) {
    HoldWhole(); // before anything is written: the file stays as it was
    try {
        RewriteBeside(where);
    } catch (const CFileException& e) {
        if (!RefusesNewFiles(e.m_nErrno)) throw;
        RewriteInPlace(where, e);
    }
}

void CFileFdd::RewriteBeside(PathState where) {
    const std::string path = GetFilePath();
    std::string target = path;
    if (where == PathState::same) { // through a symbolic link: replace the file it names
        std::error_code ec;
        const fs::path real = fs::canonical(path, ec);
        if (!ec) target = real.string();
    }
    D88Layout layout;
    std::vector<uint8_t> image;
    CFileSave save(target);
    try {
        if (m_bModified) {
            layout = LayoutD88();
            image = BuildD88(layout);
            save.File().Write(image.data(), static_cast<uint32_t>(image.size()));
        } else {
            CopyFileTo(save.File());
        }
    } catch (const std::bad_alloc&) {
        throw CFileException(target, ENOMEM);
    }
    if (g_pFileTestSeam) g_pFileTestSeam("save");
    // Looked at again: the name may have been given to another file while writing.
    std::string placed = path;
    if (CheckPath() == PathState::same)
        save.Commit(target, *this, true);
    else
        placed = save.CommitUnderFreeName(target, *this);
    if (placed != path) m_bFollowedMove = false;
    TakeOver(save.File(), placed); // the new file, already locked, is the image from now on
    if (m_bModified) AdoptD88(layout, std::move(image));
    // A sector selected for a transfer in progress goes on in the new file.
    m_nFilePos = kUnknownPos;
}

void CFileFdd::RewriteInPlace(PathState where, const CFileException& refused) {
    std::string now = GetFilePath();
    if (where != PathState::same) {
        now = CurrentPath(); // the file moved with its folder, say; nothing when deleted
        if (now.empty()) throw refused;
    }
    m_nFilePos = kUnknownPos;
    if (m_bModified) {
        // Built whole first. Should the write stop halfway, the image lives on in memory as
        // it was, for a later save to write whole.
        D88Layout layout;
        std::vector<uint8_t> image;
        try {
            layout = LayoutD88();
            image = BuildD88(layout);
        } catch (const std::bad_alloc&) {
            throw CFileException(now, ENOMEM);
        }
        CheckLimit(image.size()); // the file-size limit stops here
        // Never destroy to save: before the first byte of the file changes, the whole new
        // image is in a file of the user's own, complete and flushed, so that a write that
        // stops halfway (for room on a file system that copies on write, say) loses nothing.
        // Without that copy the file stays as it was and the change waits in memory. The
        // copy comes before the room for the write is reserved, which could take its room.
        std::string rescue;
        try {
            rescue = WriteRescueFile(&image);
        } catch (const CFileException& e) {
            m_nRescueError = e.m_nErrno;
        } catch (const std::bad_alloc&) {
            m_nRescueError = ENOMEM;
        }
        if (rescue.empty()) throw refused;
        // A full disk stops here, the file as it was and the copy named (Save).
        Reserve(image.size());
        m_bFileAsBefore = false;
        try {
            if (g_pFileTestSeam) g_pFileTestSeam("in place");
            Seek(0);
            CFile::Write(image.data(), static_cast<uint32_t>(image.size()));
            SetLength(image.size());
            if (g_pFileTestSeam) g_pFileTestSeam("flush");
            Flush();
        } catch (const CFileException&) {
            m_bFileDamaged = true;
            m_strRescued = rescue;
            if (now != GetFilePath()) { // the damaged file is told where it is
                MovedTo(now);
                m_bFollowedMove = true;
            }
            throw;
        }
        AdoptD88(layout, std::move(image));
    } else {
        FlushUnflushed(); // sectors written in place: the file holds every change
    }
    if (now != GetFilePath()) {
        MovedTo(now);
        m_bFollowedMove = true;
    }
}

void CFileFdd::CopyFileTo(CFile& out) const {
    // Only a file held whole: a copy never claims bytes this object does not have.
    if (!m_unread.empty()) throw CFileException(GetFilePath(), m_unread.front().err);
    out.Write(m_image.data(), static_cast<uint32_t>(m_image.size()));
}
