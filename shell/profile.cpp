#include "shell/profile.h"

#include <QByteArray>
#include <QDataStream>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QStringList>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "platform/file.h"
#include "platform/save_folder.h"

namespace {

const char* const kGroup = "ORLO";
const char* const kSaveFailed =
    "設定を保存できませんでした。設定ファイルは以前の内容のまま残っています。";
const char* const kFirstSaveFailed = "設定を保存できませんでした。";
const char* const kReadBackDiffers = "書き込んだ内容を読み返すと一致しませんでした。";

// Whole-file reads and writes that answer the errno of a failure (0 when done). Only a
// plain file is read (a folder: EISDIR, anything else: EINVAL), never waited on.
int ReadWhole(const std::string& path, QByteArray& data, mode_t& mode) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    struct stat st {};
    int err = ::fstat(fd, &st) != 0  ? errno
              : S_ISDIR(st.st_mode)  ? EISDIR
              : !S_ISREG(st.st_mode) ? EINVAL
                                     : 0;
    mode = st.st_mode & 07777;
    char buf[4096];
    while (!err) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0)
            data.append(buf, n);
        else if (n == 0)
            break;
        else if (errno != EINTR)
            err = errno;
    }
    ::close(fd);
    return err;
}

// The text after '=' of the last line "name=..." of the group's sections in `file`, less
// the blanks at either end; empty when there is none.
QString LineText(const std::string& file, const QString& name) {
    QByteArray text;
    mode_t mode = 0;
    if (ReadWhole(file, text, mode) != 0) return {};
    if (text.startsWith("\xEF\xBB\xBF")) text.remove(0, 3); // a byte order mark
    const QByteArray section = QByteArray("[") + kGroup + "]", key = name.toUtf8();
    QByteArray found;
    bool inGroup = false;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        const int eq = line.indexOf('=');
        if (line.startsWith('['))
            inGroup = line == section;
        else if (inGroup && eq > 0 && line.left(eq).trimmed() == key)
            found = line.mid(eq + 1).trimmed();
    }
    return QString::fromUtf8(found);
}

// A value the INI reader split at its commas, as the one string it was written as. The
// line's own text is taken only when splitting it gives the reader's items: a line with
// quotes or escapes, or one the reader saw differently, gives the items joined.
QString Unsplit(const std::string& file, const QString& name, const QStringList& items) {
    const QString text = LineText(file, name);
    QStringList split = text.split(',');
    for (QString& s : split)
        s = s.trimmed();
    return split == items ? text : items.join(", ");
}

constexpr int kDiffers = -1; // read back otherwise than written, the system saying nothing

std::string Reason(int err) {
    return QString::fromLocal8Bit(std::generic_category().message(err)).toStdString();
}

int WriteWhole(int fd, const QByteArray& data) { // 0 or the errno
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno != EINTR) return errno;
        if (n == 0) return ENOSPC; // nothing taken: as CFile::Write, never wait for room
        if (n > 0) done += n;
    }
    return 0;
}

int SyncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

// QSettings does not tell why its write fell short (a full disk, the file-size limit): ask
// the system by writing a little more into the doomed file: kDiffers when that works.
int WhyShort(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return errno;
    int err = WriteWhole(fd, QByteArray(4096, '\n'));
    if (!err && ::fsync(fd) != 0) err = errno;
    ::close(fd);
    return err ? err : kDiffers;
}

// A value as QDataStream has it: compares values of any type the INI reader makes.
QByteArray Streamed(const QVariant& v) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << v;
    return bytes;
}

// The files a save makes in its private folder: the copy of the old file, read for what
// the file must hold; the same file, which QSettings writes; and that file again, read
// back. Each step has its own name, and every save a folder of a name no save of this
// process had before, since QSettings answers a file it has read before from its cache
// while size and time match.
const char* const kOld = "old";
const char* const kWritten = "settings";
const char* const kChecked = "checked";
const std::vector<std::string> kSaveNames = {kOld, kWritten, kChecked};

CProfile::SaveHook& Hook() {
    static CProfile::SaveHook s_hook;
    return s_hook;
}

int AtStep(const char* step, const std::string& file) {
    return Hook() ? Hook()(step, file) : 0;
}

// Makes the private folder of a save of `path` (see above).
std::unique_ptr<CSaveFolder> MakeSaveFolder(const std::string& path, int& err) {
    static std::set<std::string> s_used;
    for (;;) {
        auto folder = std::make_unique<CSaveFolder>(path, kSaveNames);
        if ((err = folder->Error())) return nullptr;
        if (s_used.insert(folder->Path("")).second) return folder;
    }
}

// Where `path` leads through symbolic links, a relative target read from the link's
// folder: the first name that is no link, whether or not there is such a file. 0 or the
// errno (ELOOP for a loop).
int FollowLinks(std::string& path) {
    namespace fs = std::filesystem;
    for (int links = 0; links < 40; ++links) {
        std::error_code ec;
        const fs::path target = fs::read_symlink(path, ec);
        if (ec) return ec.value() == EINVAL || ec.value() == ENOENT ? 0 : ec.value();
        path = (target.is_absolute() ? target : fs::path(path).parent_path() / target).string();
    }
    return ELOOP;
}

// Every key of the INI file `file` with its value.
QMap<QString, QByteArray> KeysOf(const std::string& file) {
    QMap<QString, QByteArray> keys;
    const QSettings in(QString::fromStdString(file), QSettings::IniFormat);
    for (const QString& key : in.allKeys())
        if (const QVariant v = in.value(key); v.isValid()) keys[key] = Streamed(v);
    return keys;
}

using Writes = std::vector<std::pair<std::string, std::string>>;

// Puts `writes` into the group of the INI file `path` (no link) the way profile.h says.
// Answers 0, the errno of the step that failed, or kDiffers; `hadOld`: whether there was a
// file.
int Replace(const std::string& path, const Writes& writes, bool& hadOld) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return ec.value();
    QByteArray old;
    mode_t mode = 0;
    const int readErr = ReadWhole(path, old, mode);
    hadOld = readErr != ENOENT;
    if (readErr && hadOld) return readErr; // what cannot be read cannot be kept
    RemoveSaveFolderLeftovers(path, kSaveNames);
    int err = 0;
    const std::unique_ptr<CSaveFolder> save = MakeSaveFolder(path, err);
    if (err) return err;
    const std::string copy = save->Path(kOld), written = save->Path(kWritten),
                      checked = save->Path(kChecked);

    // A copy of the old file, with its permissions (a first one's: as umask says).
    const int fd = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return errno;
    err = WriteWhole(fd, old);
    if (!err && hadOld && ::fchmod(fd, mode) != 0) err = errno;
    if (::close(fd) != 0 && !err && errno != EINTR) err = errno;
    if (err) return err;

    QMap<QString, QByteArray> expected = KeysOf(copy); // every key the file must hold
    for (const auto& [name, value] : writes)
        expected[QString(kGroup) + "/" + QString::fromStdString(name)] =
            Streamed(QString::fromStdString(value));
    if (::rename(copy.c_str(), written.c_str()) != 0) return errno;
    if ((err = AtStep("write", written))) return err;
    {
        QSettings out(QString::fromStdString(written), QSettings::IniFormat);
        out.beginGroup(kGroup);
        for (const auto& [name, value] : writes)
            out.setValue(QString::fromStdString(name), QString::fromStdString(value));
        out.endGroup();
        out.sync(); // a FormatError only says the old file had lines it could not read
        if (out.status() == QSettings::AccessError) return WhyShort(written);
    }
    if (::rename(written.c_str(), checked.c_str()) != 0) return errno;
    if (KeysOf(checked) != expected) return WhyShort(checked);
    if ((err = AtStep("sync", checked)) || (err = SyncFile(checked))) return err;
    if (::rename(checked.c_str(), path.c_str()) != 0) return errno;
    SyncFolder(folder);
    return 0;
}

} // namespace

void CProfile::SetSaveHook(SaveHook hook) {
    Hook() = std::move(hook);
}

CProfile::CProfile() {
    // Where QSettings("Helka", "Orlo") keeps its file, learnt from one for the organization
    // only, which reads nothing the other would not read too.
    const QString org =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Helka").fileName();
    m_strFile = (org.chopped(QFileInfo(org).suffix().size() + 1) + "/Orlo.conf").toStdString();
    struct stat st;
    if (::stat(m_strFile.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return; // never opened
    m_settings = std::make_unique<QSettings>("Helka", "Orlo");
    m_strFile = m_settings->fileName().toStdString();
    m_settings->sync(); // what other QSettings objects of the program hold goes out first
    m_settings->beginGroup(kGroup);
}

CProfile::~CProfile() = default;

std::string CProfile::GetString(const char* name) const {
    if (!m_settings) return {};
    const QVariant v = m_settings->value(name);
    if (v.typeId() == QMetaType::QStringList)
        return Unsplit(m_strFile, name, v.toStringList()).toStdString();
    return v.toString().toStdString();
}

int CProfile::GetInt(const char* name, int def) const {
    if (!m_settings) return def;
    bool ok = false;
    const int v = m_settings->value(name, def).toInt(&ok);
    return ok ? v : def;
}

void CProfile::WriteString(const char* name, const std::string& value) {
    m_writes.emplace_back(name, value);
}

void CProfile::WriteInt(const char* name, int value) {
    m_writes.emplace_back(name, std::to_string(value));
}

bool CProfile::Save(std::string& failure) {
    if (!m_settings) return true; // no plain file: left as it is
    std::string path = m_strFile;
    bool hadOld = false;
    int err = FollowLinks(path);
    if (!err) err = Replace(path, m_writes, hadOld);
    if (!err) {
        m_settings->sync(); // every QSettings object of the program reads the new file
        return true;
    }
    failure = std::string(hadOld ? kSaveFailed : kFirstSaveFailed) + "\n\n" + m_strFile + "\n" +
              (err == kDiffers ? kReadBackDiffers : Reason(err));
    return false;
}
