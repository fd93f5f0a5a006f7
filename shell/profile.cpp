#include "shell/profile.h"

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSettings>
#include <QStringList>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "platform/file.h"

namespace {

const char* const kGroup = "ORLO";
const char* const kSaveFailed =
    "設定を保存できませんでした。設定ファイルは以前の内容のまま残っています。";
const char* const kFirstSaveFailed = "設定を保存できませんでした。";
const char* const kReadBackDiffers = "書き込んだ内容を読み返すと一致しませんでした。";

// The text after '=' of the last line "name=..." of the group's sections in `file`, less
// the blanks at either end; empty when there is none.
QString LineText(const QString& file, const QString& name) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray text = f.readAll();
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
QString Unsplit(const QString& file, const QString& name, const QStringList& items) {
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

int WriteWhole(int fd, const QByteArray& data) {
    for (qsizetype done = 0; done < data.size();) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno != EINTR) return errno;
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

// The new file's names: each save uses names no QSettings of this program has seen, since
// QSettings answers a file it has read before from its cache while size and time match.
std::string FreshName(const std::string& path) {
    static std::atomic<unsigned> s_count{0};
    return path + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(s_count++);
}

// Removes what saves of a process that no longer runs left beside `path` (it was killed
// halfway): files named "<name>.new-<its pid>-..." (QSettings's own temporary files of
// such a save included). Saves of a program still running are left alone.
void RemoveStaleNewFiles(const std::string& path) {
    namespace fs = std::filesystem;
    const std::string lead = fs::path(path).filename().string() + ".new-";
    std::error_code ec;
    for (auto it = fs::directory_iterator(fs::path(path).parent_path(), ec);
         !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, lead.size(), lead) != 0) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + lead.size(), &end, 10);
        if (pid <= 0 || *end != '-' || !fs::is_regular_file(it->symlink_status())) continue;
        if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) ::unlink(it->path().c_str());
    }
}

// The new file of one save: removed unless it took the old one's place.
struct NewFile {
    std::string writing, checking;
    ~NewFile() {
        for (const std::string& p : {writing, checking})
            if (!p.empty()) ::unlink(p.c_str());
    }
};

using Writes = std::vector<std::pair<std::string, std::string>>;

// Puts `writes` into the group of the INI file `path` the way profile.h says. Answers 0,
// the errno of the step that failed, or kDiffers.
int Replace(const std::string& path, const Writes& writes) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) return ec.value();
    QByteArray old;
    mode_t mode = 0;
    const int readErr = ReadWhole(path, old, mode);
    if (readErr && readErr != ENOENT) return readErr; // what cannot be read cannot be kept
    RemoveStaleNewFiles(path);

    // A copy of the old file, with its permissions (a first one's: as umask says).
    NewFile file;
    int fd = -1;
    while (fd < 0) {
        file.writing = FreshName(path);
        fd = ::open(file.writing.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            const int err = errno;
            file.writing.clear();
            return err;
        }
    }
    int err = WriteWhole(fd, old);
    if (!err && !readErr && ::fchmod(fd, mode) != 0) err = errno;
    if (::close(fd) != 0 && !err && errno != EINTR) err = errno;
    if (err) return err;

    QMap<QString, QByteArray> expected; // every key the file must hold, with its value
    {
        QSettings out(QString::fromStdString(file.writing), QSettings::IniFormat);
        out.beginGroup(kGroup);
        for (const auto& [name, value] : writes)
            out.setValue(QString::fromStdString(name), QString::fromStdString(value));
        out.endGroup();
        out.sync(); // a FormatError only says the old file had lines it could not read
        if (out.status() == QSettings::AccessError) return WhyShort(file.writing);
        for (const QString& key : out.allKeys())
            if (const QVariant v = out.value(key); v.isValid()) expected[key] = Streamed(v);
    }
    file.checking = file.writing + ".check";
    if (::rename(file.writing.c_str(), file.checking.c_str()) != 0) return errno;
    file.writing.clear();
    {
        const QSettings in(QString::fromStdString(file.checking), QSettings::IniFormat);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            if (Streamed(in.value(it.key())) != it.value()) return WhyShort(file.checking);
    }
    if ((err = SyncFile(file.checking))) return err;
    if (::rename(file.checking.c_str(), path.c_str()) != 0) return errno;
    file.checking.clear();
    SyncFolder(folder);
    return 0;
}

} // namespace

CProfile::CProfile() : m_settings(std::make_unique<QSettings>("Helka", "Orlo")) {
    m_settings->sync(); // what other QSettings objects of the program hold goes out first
    m_settings->beginGroup(kGroup);
}

CProfile::~CProfile() = default;

std::string CProfile::GetString(const char* name) const {
    const QVariant v = m_settings->value(name);
    if (v.typeId() == QMetaType::QStringList)
        return Unsplit(m_settings->fileName(), name, v.toStringList()).toStdString();
    return v.toString().toStdString();
}

int CProfile::GetInt(const char* name, int def) const {
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
    const QString shown = m_settings->fileName();
    const QString real = QFileInfo(shown).canonicalFilePath(); // through symbolic links
    const bool hadOld = !real.isEmpty();
    const int err = Replace((hadOld ? real : shown).toStdString(), m_writes);
    if (!err) {
        m_settings->sync(); // every QSettings object of the program reads the new file
        return true;
    }
    failure = std::string(hadOld ? kSaveFailed : kFirstSaveFailed) + "\n\n" + shown.toStdString() +
              "\n" + (err == kDiffers ? kReadBackDiffers : Reason(err));
    return false;
}
