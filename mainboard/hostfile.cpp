// The host-file port: the guest names a host file and reads or writes it byte by byte.
// $FDD0 write = command, read = status (its cell); $FDD1 = data.
//
// Commands: 0 open for reading, 1 create for writing (both start collecting a name),
// 2 close. Data bytes while naming are appended to the name; a 0 byte opens it, handed
// to the host unchanged (a relative name is resolved by the host). Reading reads one
// byte ahead, so the status turns "closed" as soon as the last byte has been fetched.
//
// m_nFileState  status  meaning
//      0         $00    idle
//      1         $81    collecting a name
//      2         $21    reading
//      3         $41    writing
//      4         $11    closed, or at end of file (the next data read returns 0)
//      5         $11    failed (the next data read returns 1)
// That next data read returns the port to idle.
//
// Every host failure ends in state 5: a name that is empty, too long, names anything but
// a regular file (a folder, FIFO, device or socket, which could block the emulator in a
// read or write) or anything else the host refuses; a file held by someone else (the
// emulator's own image and printer files are held exclusively); a read or write error,
// or an error reported at close. A name stops growing one byte past kMaxName and then
// always fails.
#include <memory>

#include "mainboard/main_cpu.h"
#include "platform/file.h"

namespace {

constexpr size_t kMaxName = 4096;

enum : uint8_t {
    FILE_IDLE = 0,
    FILE_NAMING = 1,
    FILE_READING = 2,
    FILE_WRITING = 3,
    FILE_CLOSED = 4,
    FILE_FAILED = 5,
};

constexpr uint8_t kStatusOf[6] = {0x00, 0x81, 0x21, 0x41, 0x11, 0x11};

} // namespace

void CMainCpu::RegisterHostFile() {
    SetIoWrite(0xD0, 0xD0, &CMainCpu::FilePortIoWrite);
    SetIoRead(0xD1, 0xD1, &CMainCpu::FilePortIoRead);
    SetIoWrite(0xD1, 0xD1, &CMainCpu::FilePortIoWrite);
}

uint8_t CMainCpu::FilePortIoRead(uint8_t) {
    return FilePortRead();
}

void CMainCpu::FilePortIoWrite(uint8_t reg, uint8_t value) {
    if (reg == 0xD0)
        FilePortCommand(value);
    else
        FilePortWrite(value);
}

// Closes and deletes the open file; false when the host reported an error on closing.
bool CMainCpu::FilePortClose() {
    if (!m_pFile) return true;
    bool ok = true;
    try {
        m_pFile->Close();
    } catch (...) {
        ok = false;
    }
    delete m_pFile;
    m_pFile = nullptr;
    return ok;
}

void CMainCpu::FilePortCommand(uint8_t value) {
    uint8_t state;
    if (value == 0 || value == 1) {
        FilePortClose();
        m_nFileMode = value;
        m_strFileName.clear();
        state = FILE_NAMING;
    } else if (value == 2) {
        state = m_pFile && FilePortClose() ? FILE_CLOSED : FILE_FAILED;
    } else {
        return;
    }
    m_nFileState = state;
    Cell(0xD0) = kStatusOf[state];
}

void CMainCpu::FilePortOpen() {
    uint8_t state = FILE_FAILED;
    if (!m_strFileName.empty() && m_strFileName.size() <= kMaxName) {
        try {
            auto file = std::make_unique<CFile>();
            if (m_nFileMode == 0) {
                if (file->OpenRegular(m_strFileName, CFile::modeRead)) {
                    m_pFile = file.release();
                    state = FILE_READING;
                    if (m_pFile->Read(&m_nFileByte, 1) != 1) state = FILE_CLOSED;
                }
            } else if (file->OpenRegular(m_strFileName, CFile::modeCreateWrite)) {
                m_pFile = file.release();
                state = FILE_WRITING;
            }
        } catch (...) {
            state = FILE_FAILED;
        }
    }
    if (state == FILE_CLOSED || state == FILE_FAILED) FilePortClose();
    m_nFileState = state;
    Cell(0xD0) = kStatusOf[state];
}

void CMainCpu::FilePortWrite(uint8_t value) {
    if (m_nFileState == FILE_NAMING) {
        if (value == 0)
            FilePortOpen();
        else if (m_strFileName.size() <= kMaxName)
            m_strFileName.push_back(char(value));
    } else if (m_nFileState == FILE_WRITING) {
        try {
            m_pFile->Write(&value, 1);
        } catch (...) {
            FilePortClose();
            m_nFileState = FILE_FAILED;
            Cell(0xD0) = kStatusOf[FILE_FAILED];
        }
    }
}

uint8_t CMainCpu::FilePortRead() {
    switch (m_nFileState) {
    case FILE_READING: {
        const uint8_t b = m_nFileByte;
        uint8_t state = FILE_CLOSED;
        try {
            if (m_pFile->Read(&m_nFileByte, 1) == 1) return b;
        } catch (...) {
            state = FILE_FAILED;
        }
        FilePortClose();
        m_nFileState = state;
        Cell(0xD0) = kStatusOf[state];
        return b;
    }
    case FILE_CLOSED:
    case FILE_FAILED: {
        const uint8_t result = m_nFileState == FILE_FAILED;
        m_nFileState = FILE_IDLE;
        Cell(0xD0) = kStatusOf[FILE_IDLE];
        return result;
    }
    default: return 0;
    }
}
