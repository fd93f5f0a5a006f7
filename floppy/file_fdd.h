// CFileFdd: one floppy disk image as the floppy controllers see it: tracks (index
// C x m_nHeads + H) holding sectors (slot R - 1). The view opens one per drive and
// closes it before deleting it.
//
// Open recognises the file: the "ORLO FDD" signature means D88; a size equal to one of
// the raw geometries (raw_geometry.h) means raw; anything else is read as D88 when the
// name ends in ".d88" or has no extension, and otherwise gives a disk without tracks.
// The controllers select one sector with SeekSector and move its bytes with Read and
// Write. A format (WRITE TRACK) empties the track with ClearTrack, adds the new sectors
// with AddSector and sets m_bModified; a save then rewrites the whole file as D88.
//
// CFileFdd is a CFile whose Read and Write move the bytes of the selected sector, so
// the controllers' DMA serves a floppy and a hard disk through the same CFile pointer.
//
// The image in memory: Open reads the whole file once (HoldFile), and from then on the
// guest's reads, every save, every D88 rewrite and every rescue copy take the sectors' bytes
// from there, never from the file, so that a disk that stops answering (a network disk whose
// server went away) costs nothing the guest saw. The guest's writes go into memory and
// through to the file at once; a save writes into the file again what no successful flush
// has covered since (the kernel may drop what it failed to write back, and the next flush may
// answer success).
//
// Errors:
// - Open answers false only when the file cannot be opened (or this object is already
//   open). An image is a regular file (or a link to one): anything else (FIFO, device,
//   socket) is refused with EINVAL, without being opened. Damaged content gives a disk with
//   fewer or no sectors. Bytes of the file that could not be read (an I/O error, or beyond
//   kMaxHeld) make the sectors they touch errors for the guest: Read and Write throw
//   CFileException with the read's errno. A D88 record header among them ends only its own
//   track's run, and a file whose signature could not be read is taken for neither format:
//   the model then lacks part of the image. After kMaxFailedReads failed reads the rest of
//   the file stays unread without being asked for, so that a dead disk does not hold the open.
// - A whole image (a D88 rewrite, a copy of the file, a rescue file) is written only when
//   every byte it must carry is held: what could not be read is read again first, since the
//   disk may answer again (and a model that lacked part of the image is built anew from it,
//   keeping the tracks the guest formatted); where some still cannot be read, the save and
//   the rescue at Close fail with the read's errno and the file stays as it was.
// - Write throws where the image was opened with modeRead (EBADF: a write-protected disk),
//   and where a damaged D88 file promises the sector beyond kMaxHeld (EFBIG). Bytes that a
//   damaged D88 file promises beyond its end read as 0xE4; writing them extends the file.
// - A write into the file that fails (a disk turned read-only, an I/O error) fails the next
//   save, which writes it again and tells the user; the guest's write itself goes on. A
//   flush that fails (EROFS from a file system turned read-only included) fails the save.
// - Close and Save throw CFileException when a rewrite failed. The file on disk is then
//   as it was (FileAsBefore() tells whether its name still names it), unless a write into
//   the open file stopped halfway (FileDamaged(), see below): the new image goes to a
//   temporary file in the same folder (CFileSave; removed again on failure) and replaces
//   the original by rename only once it is complete and flushed. Close closes the file
//   either way; after a failed Save the disk stays open and modified, nothing lost.
//   Destroying an open object closes it without rewriting.
// - A Close whose save failed writes the whole image (D88 after a format, else the file as
//   held) to a new file in the rescue folder (SetRescueFolder; WriteTimedFile names it
//   after the image with the time): RescuedPath() names it, or RescueError() says why
//   there is none, and only then is the change lost. A drive keeps one rescue file: a
//   newer copy replaces the one before under its name, and a save that puts the whole
//   image into its file removes it; a copy that holds the image as it is now is named (by
//   a failed save and at Close) and not written again. The copy is replaced or removed only
//   while its name still names the very file written, which is held open for that
//   (CFileHold; a file system may give a new file the numbers of one just deleted): a file
//   the user put there stays, and the next copy takes a new name.
// Save puts the changes on disk while the image stays open (the view does so once the
// guest has left the disk alone for a while); Changes() counts every change the guest
// made, so that the caller can tell when it has stopped. A save (Close's too) never
// replaces a file this object did not open, and loses nothing the guest wrote:
// - the name still names the open file: a formatted disk is rewritten as D88 in its
//   place, sectors written in place are flushed;
// - the name names nothing (the file was deleted or moved away): the whole image is
//   written back under it;
// - the name names another file (a backup put in its place, say): that file stays as it
//   is; the whole image goes beside it under a free name (NameBeside), and GetFilePath()
//   names that file from then on. OpenedPath() still names the image as opened.
// Where no temporary file can be made or put in place for lack of permission or of the
// folder (one the user may not write to, a sticky folder holding another user's image, a
// folder moved or removed), or the file cannot be replaced by rename (a single file bound
// onto its name: EBUSY, EXDEV), the image goes into the open file itself, as long as that
// still has a name: a formatted disk is built in memory and everything that could stop the
// write is settled first, without changing the file: the file-size limit against the new
// length; then the whole image goes to a rescue file as at Close, flushed; then room on
// disk is reserved for every byte of it, holes included (after the copy, which it could
// otherwise take). A limit or a full disk fails the save with the file as it was, taking no
// more room than before (and the copy named). A write that still stops halfway (an I/O
// error, room on a file system that copies on write) leaves that copy (RescuedPath())
// besides the damaged file (FileDamaged()); the file is overwritten, cut to the new length
// and flushed, and the copy is removed once it has. Where no copy can be made
// (RescueError() says why) the file is not written: the save throws the error that refused
// the new file, the file as it was, the change kept for the next save. When the open file
// is no longer under its name (its folder was moved, say), GetFilePath() names it where it
// now is from then on and FollowedMove() says so.
// Opening for writing removes what saves cut short left beside the image.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"

// One sector: its ID bytes and where its data lives.
struct CFddSect {
    enum : uint8_t {
        stateFormatted = 0, // formatted, no data yet (reads as 0xE4)
        stateFile = 1,      // data in the image file at m_nOffset (held in memory too)
        stateMemory = 2,    // data held in m_data, not yet in the file
    };

    uint8_t m_C = 0; // ID: cylinder
    uint8_t m_H = 0; // ID: head
    uint8_t m_R = 0; // ID: record, 1..254
    uint8_t m_N = 0; // ID: size code (0 = 128 .. 3 = 1024)
    uint8_t m_nState = stateFormatted;
    uint16_t m_nSize = 0; // data bytes; 0 marks an empty slot
    uint64_t m_nOffset = 0;
    std::vector<uint8_t> m_data; // m_nSize bytes in stateMemory
    uint32_t m_nPos = 0;         // next byte that Read or Write moves
    int32_t m_nIndex = -1;       // physical position in the track, -1 when unknown
    // stateFile: written since the file was last flushed, so written into it again by the
    // next save.
    bool m_bUnflushed = false;
};

// One track: slot i holds the sector whose R is i + 1; the slot count is the highest R.
struct CFddTrack {
    std::vector<CFddSect> m_sects;
};

class CFileFdd : public CFile {
public:
    static constexpr int kFormatD88 = 13;
    static constexpr int kMaxTracks = 164;
    static constexpr uint32_t kD88HeaderSize = 688;
    static constexpr uint32_t kD88RecordHeader = 16;
    // A D88 file never yields more sector records than this (a disk holds at most
    // 164 x 254); the rest of a hostile file whose runs overlap is ignored.
    static constexpr int kMaxD88Records = 65536;
    // The most of a file held in memory: eight times the largest disk a format can make. The
    // D88 records loaded never add up to more either (header and data, as a rewrite would
    // place them): the rest of a hostile file whose runs overlap is ignored.
    static constexpr uint64_t kMaxHeld = 16u << 20;
    // Failed reads of the file after which the disk is taken for dead (see Errors).
    static constexpr int kMaxFailedReads = 32;

    CFileFdd() = default;
    CFileFdd(const CFileFdd&) = delete;
    CFileFdd& operator=(const CFileFdd&) = delete;

    bool Open(const std::string& path, OpenMode mode) override;
    void Close() override;
    // Puts every unsaved change on disk (see above); the selected sector stays
    // selected. Throws CFileException (see Errors).
    void Save();
    // The full path the image was opened under; GetFilePath() differs from it once a
    // save had to put the image under another name.
    const std::string& OpenedPath() const { return m_strOpenedPath; }
    // Whether anything changed since the image was opened or last saved.
    bool HasUnsavedChanges() const { return m_bModified || m_nChanges != m_nSavedChanges; }
    uint32_t Changes() const { return m_nChanges; }
    // After a save that threw: whether GetFilePath() still names the image's file with its
    // contents as before that save.
    bool FileAsBefore() const { return m_bFileAsBefore; }
    // After a save that threw: whether the file GetFilePath() names holds a write into it
    // that stopped halfway, this save's or an earlier one's that no save has made whole since.
    bool FileDamaged() const { return m_bFileDamaged; }
    // The folder of rescue files (see Errors); none while empty.
    void SetRescueFolder(const std::string& folder) { m_strRescueFolder = folder; }
    // After a save or Close that threw: the rescue file that holds the whole image as it is
    // now (written by this save or Close, or by an earlier one with no change since), or
    // empty; RescueError() is then the errno of the failure to write one, before a write into
    // the open file or at Close (0: none tried).
    const std::string& RescuedPath() const { return m_strRescued; }
    int RescueError() const { return m_nRescueError; }
    // Whether GetFilePath() last changed because the save followed the image's file to
    // where it had been moved, rather than putting the image beside another file.
    bool FollowedMove() const { return m_bFollowedMove; }

    // -1 unknown, 0..12 raw geometry id, 13 D88.
    int DetectFormat();
    // Builds the model for a format id; false for -1 or a D88 load that failed.
    bool SetupFormat(int id);
    // Reads the file as D88. With bTestExtension a name with an extension other than
    // ".d88" is refused (false, model unchanged). False also when a file error ended the
    // load; the model keeps what was read until then.
    bool LoadD88(bool bTestExtension);

    bool HasTrack(int C, int H) const;
    // Selects sector (C, H, R = i + 1) for Read and Write; answers its size or -1.
    int SeekSector(int C, int H, int i);
    // Moves bytes of the selected sector from its current position; Read answers the
    // count moved, or 0xFFFFFFFF when no sector is selected.
    uint32_t Read(void* buf, uint32_t count) override;
    void Write(const void* buf, uint32_t count) override;
    // Stores a sector at the track and slot its own ID names; false (nothing stored)
    // for track 164 or above, R 0 or R 255. Drops the current selection.
    bool AddSector(const CFddSect& s);
    // Empties track (C, H) for a format; a track that held slots is a change (m_bModified),
    // even if the format adds no sector to it. Drops the current selection.
    void ClearTrack(int C, int H);

    int m_nFormat = -1;
    int m_nCylinders = 0; // upper bound for C
    int m_nHeads = 2;
    int m_nSectors = 0; // raw: sectors per track; D88: the largest slot count
    int m_nSize = 0;    // raw: sector size; D88: the largest sector size
    std::vector<CFddTrack> m_tracks;
    bool m_bModified = false;

private:
    // The whole image as D88: where every sector's data goes, and the header.
    struct D88Place {
        CFddSect* s;
        uint64_t offset; // of the data
        uint16_t trackSectors;
    };
    struct D88Layout {
        std::array<uint8_t, kD88HeaderSize> header{};
        std::vector<D88Place> places;
        uint64_t length = 0;
        int maxSectors = 0, maxSize = 0;
    };
    // Throws CFileException (EFBIG) for a model too large for the format's offsets.
    D88Layout LayoutD88();
    // The image's bytes as `layout` places them. Throws CFileException for a sector whose
    // bytes could not be read, std::bad_alloc.
    std::vector<uint8_t> BuildD88(const D88Layout& layout) const;
    // The file now holds `image`, built by BuildD88 from `layout`.
    void AdoptD88(const D88Layout& layout, std::vector<uint8_t>&& image);
    // Writes the whole image anew (D88 after a format, else the file as held) and puts
    // it in place as `where` allows, or into the open file (see above).
    void Rewrite(PathState where);
    void RewriteBeside(PathState where);
    void RewriteInPlace(PathState where, const CFileException& refused);
    // Writes the file's bytes as held, every write included. Throws CFileException, with
    // the read's errno where some of them could not be read.
    void CopyFileTo(CFile& out) const;
    // Writes `count` bytes at `pos` of `f`, which is `length` bytes long, where a damaged
    // image's data lies beyond its end: the gap reads as unwritten (0xE4).
    static void PutAt(CFile& f, uint64_t& length, uint64_t pos, const uint8_t* p, uint32_t count);
    // Writes the sectors written since the last flush into the file again, then flushes it;
    // only then do they count as on disk.
    void FlushUnflushed();
    // The file holds every sector as written: none is kept for a flush any more.
    void MarkFlushed();
    // Writes the whole image into the drive's rescue file (`image`, else built as Close does)
    // unless that holds it as it is now; answers its path. Throws CFileException.
    std::string WriteRescueFile(const std::vector<uint8_t>* image);
    // Whether the drive's rescue file is still the one this object wrote, and holds the image
    // as it is now.
    bool RescueCopyIsOurs() const;
    bool RescueCopyIsCurrent() const;
    void Reset();
    CFddSect* CurSect();
    // Reads the file into m_image (at most kMaxHeld bytes); what cannot be read goes to
    // m_unread.
    void HoldFile();
    // Reads bytes [from, to) of the file into m_image, which holds them; `failures` counts
    // failed reads towards kMaxFailedReads. Answers where the file ended, or `to`.
    uint64_t ReadHeld(uint64_t from, uint64_t to, int& failures);
    void MarkUnread(uint64_t from, uint64_t to, int err);
    // Reads what could not be read again (not what lies beyond kMaxHeld); answers whether
    // any of it was read now.
    bool ReadAgain();
    // Builds the model from the image as held: the format detected, then its sectors.
    void Load();
    // Builds the model anew once more of the image was read; the tracks the guest formatted
    // stay as the guest left them, and so do the selection and the sectors a flush owes.
    void LoadAgain();
    // Throws CFileException (the read's errno) unless the model holds the whole image, after
    // reading what could not be read again; a whole image to write may still lack sectors'
    // bytes (BuildD88 and CopyFileTo throw then).
    void HoldWhole();
    struct Range;
    // The first range that could not be read among `count` bytes at `offset`, or none.
    const Range* UnreadIn(uint64_t offset, uint64_t count) const;
    // How many of `count` bytes at `offset` m_image holds (fewer at its end, where a damaged
    // image promises more); throws CFileException where any could not be read.
    uint64_t HeldCount(uint64_t offset, uint64_t count) const;
    // Copies `count` bytes at `pos` of a sector in the file as held; bytes beyond its end read
    // 0xE4. Throws CFileException where any byte of the sector could not be read.
    void CopyHeld(const CFddSect& s, uint32_t pos, uint8_t* buf, uint32_t count) const;

    // The selection is kept as indexes, not a pointer: the controllers reshape
    // m_tracks and m_sects directly, and a stale pointer would outlive them.
    int m_nCurTrack = -1;
    int m_nCurSlot = -1;
    // The file's bytes as read at open, with every write since, or as the last rewrite made
    // it; the ranges of it that could not be read (sorted, apart), and the read's errno.
    struct Range {
        uint64_t from, to;
        int err;
    };
    std::vector<uint8_t> m_image;
    std::vector<Range> m_unread;
    // The errno of the read that left the model without part of the image, else 0.
    int m_nPartial = 0;
    // Tracks (C x 2 + H) the guest formatted or erased since the image was opened.
    std::bitset<kMaxTracks> m_formatted;
    // Where the file stands after this object's last write into it, so that a sector's
    // bytes, written one at a time, cost one system call each; and its known length.
    static constexpr uint64_t kUnknownPos = UINT64_MAX;
    uint64_t m_nFilePos = kUnknownPos;
    uint64_t m_nFileLength = 0;
    uint32_t m_nChanges = 0;      // sector writes and added sectors, wrapping
    uint32_t m_nSavedChanges = 0; // m_nChanges when the file last held every change
    std::string m_strOpenedPath;
    std::string m_strRescueFolder;
    std::string m_strRescued;
    std::string m_strRescueCopy;       // the drive's rescue file while one is kept
    CFileHold m_rescueCopyFile;        // the file written under that name
    uint32_t m_nRescueCopyChanges = 0; // m_nChanges when it was written
    int m_nRescueError = 0;
    bool m_bFileAsBefore = true;
    bool m_bFileDamaged = false;
    bool m_bFollowedMove = false;
    bool m_bReadOnly = false; // opened with modeRead
};
