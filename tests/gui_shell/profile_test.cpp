// The settings file (CProfile) and the view's part in it. Read: a value the INI reader
// splits at its commas reads as written on its line, a number that is none gives the
// default. A save keeps every other key and group and the file's permissions, writes where
// the links lead, and removes beside the file only what cut-short saves left. A save that
// fails in any step leaves the old file as it was and nothing beside it, and answers the
// message naming the file and the system's reason, which the view shows at exit. A
// settings file that is no plain file is never opened: the defaults, the user told once.
#define QT_NO_KEYWORDS // the boards' register records have a member `signals`
#include <QtTest>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

#include "platform/file_save.h"
#include "shell/profile.h"
#include "shell_test_env.h"
#include "tests/platform/ordinary_user.h"

namespace {

const QString kSaveFailed =
    QString::fromUtf8("設定を保存できませんでした。設定ファイルは以前の内容のまま残っています。");
const QString kFirstSaveFailed = QString::fromUtf8("設定を保存できませんでした。");

QString Reason(int err) {
    return QString::fromLocal8Bit(std::generic_category().message(err));
}

// The message of a failed save: what happened, the file, why.
QString Failure(const QString& what, const QString& file, const QString& why) {
    return what + "\n\n" + file + "\n" + why;
}

// Writes `values` (name, value) into the group and saves; answers the failure, empty when
// none.
QString Save(const std::vector<std::pair<const char*, std::string>>& values) {
    CProfile profile;
    for (const auto& [name, value] : values)
        profile.WriteString(name, value);
    std::string failure;
    return profile.Save(failure) ? QString() : QString::fromStdString(failure);
}

// The entries of a folder, hidden ones and folders included.
QStringList Entries(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    std::sort(names.begin(), names.end());
    return names;
}

mode_t Mode(const QString& path) {
    return mode_t(std::filesystem::status(path.toStdString()).permissions());
}

} // namespace

class ProfileTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY(m_settingsDir.isValid() && m_files.isValid());
        RedirectSettings(m_settingsDir);
        m_path = Profile().fileName();
        m_folder = QFileInfo(m_path).path();
        QVERIFY(QDir().mkpath(m_folder));
    }

    // Every test starts with no settings file and nothing beside it.
    void init() {
        CProfile::SetSaveHook(nullptr);
        QDir(m_folder).removeRecursively();
        QVERIFY(QDir().mkpath(m_folder));
    }

    // Hand-written lines: a byte order mark, CR LF, blanks around the key, a key given
    // twice (the last counts), the same key in another group, a quoted value.
    void valuesReadAsWritten() {
        const QByteArray text = "\xEF\xBB\xBF[ORLO]\r\n"
                                "2D0=/d/a ,b.d88\r\n"
                                "2D1=/d/first ,line\n"
                                "  2D1  =  /d/x ,  y,z.d88  \n"
                                "HDD0=\"/d/q\", r.img\n"
                                "DipSW=abc\n"
                                "HDD1=12\n"
                                "[Other]\n"
                                "2D0=/d/other ,  one\n";
        QVERIFY(WriteFile(m_path, text));
        const std::pair<const char*, std::string> cases[] = {
            {"2D0", "/d/a ,b.d88"},
            {"2D1", "/d/x ,  y,z.d88"}, // the blanks at the ends go
            {"HDD0", "/d/q, r.img"},    // quoted: the items joined
            {"HDD2", ""},               // none
        };
        for (int round = 0; round < 2; ++round) { // as written by hand, then by the program
            const CProfile profile;
            for (const auto& [name, value] : cases)
                QCOMPARE(profile.GetString(name), value);
            QCOMPARE(profile.GetInt("DipSW", 159), round ? 7 : 159);
            QCOMPARE(profile.GetInt("HDD1", 0), 12);
            QCOMPARE(profile.GetInt("None", 3), 3);
            QCOMPARE(Save({cases[0], cases[1], cases[2], {"DipSW", "7"}}), QString());
        }
    }

    // Every other key and group stays, with the values QSettings of the program and any
    // other reader then see; so do the file's permissions (a first file's: as umask says)
    // and a backup beside it, while what a cut-short save left goes.
    void saveKeepsTheRest() {
        const QByteArray old = "[ORLO]\nDipSW=93\nExtra=kept\n[Other]\nk=v\nlist=a, b\n";
        QVERIFY(WriteFile(m_path, old));
        QVERIFY(::chmod(QFile::encodeName(m_path).constData(), 0604) == 0);
        const QString backup = m_path + ".new-2024-06-01";
        const QString cut =
            m_folder + "/" + QString::fromStdString(SaveTempPrefix("Orlo.conf")) + "Ab12Cd";
        QVERIFY(WriteFile(backup, "mine") && QDir().mkpath(cut) && WriteFile(cut + "/held", "") &&
                WriteFile(cut + "/settings", "x"));
        QSettings other("Helka", "Orlo"); // another reader in the program
        QCOMPARE(other.value("ORLO/DipSW").toString(), QString("93"));

        QCOMPARE(Save({{"DipSW", "5"}, {"2D0", "/x"}}), QString());
        QCOMPARE(other.value("ORLO/DipSW").toString(), QString("5"));
        const QString copy = m_files.filePath("saved.ini");
        QFile::remove(copy);
        QVERIFY(QFile::copy(m_path, copy));
        const QSettings saved(copy, QSettings::IniFormat);
        QCOMPARE(saved.allKeys().size(), 5);
        QCOMPARE(saved.value("ORLO/2D0").toString(), QString("/x"));
        QCOMPARE(saved.value("ORLO/Extra").toString(), QString("kept"));
        QCOMPARE(saved.value("Other/k").toString(), QString("v"));
        QCOMPARE(saved.value("Other/list").toStringList(), (QStringList{"a", "b"}));
        QCOMPARE(Mode(m_path), mode_t(0604));
        QCOMPARE(ReadFile(backup), QByteArray("mine"));
        QCOMPARE(Entries(m_folder), (QStringList{"Orlo.conf", "Orlo.conf.new-2024-06-01"}));

        QVERIFY(QFile::remove(m_path));
        const mode_t mask = ::umask(066);
        const auto restore = qScopeGuard([mask] { ::umask(mask); });
        QCOMPARE(Save({{"DipSW", "1"}}), QString());
        QCOMPARE(Mode(m_path), mode_t(0600));
    }

    // The file written is the one the link leads to; the link stays. (Chains of relative
    // links to a folder not made yet: the program's tests.) A loop of links fails with its
    // reason, nothing made.
    void linksLeadToTheFileWritten() {
        const QString real = m_files.filePath("real/a.conf");
        QVERIFY(QDir().mkpath(QFileInfo(real).path()) && WriteFile(real, "[Other]\nk=v\n"));
        QVERIFY(QFile::link(real, m_path));
        QCOMPARE(Save({{"DipSW", "5"}}), QString());
        QVERIFY(QFileInfo(m_path).isSymLink());
        QCOMPARE(ReadFile(real), QByteArray("[ORLO]\nDipSW=5\n\n[Other]\nk=v\n"));

        QVERIFY(QFile::remove(m_path) && QFile::link(m_folder + "/loop", m_path) &&
                QFile::link(m_path, m_folder + "/loop"));
        QCOMPARE(Save({{"DipSW", "7"}}), Failure(kFirstSaveFailed, m_path, Reason(ELOOP)));
        QVERIFY(QFileInfo(m_path).isSymLink() && QFileInfo(m_folder + "/loop").isSymLink());
        QCOMPARE(Entries(m_folder), (QStringList{"Orlo.conf", "loop"}));
    }

    // Each step that can fail, failing: the old file (or none) as it was, nothing beside
    // it, the message. The write falls short at the file-size limit (QSettings's own write,
    // or already the copy of an old file too large); the sync fails; the file goes away
    // under the save (as another instance's cleanup once did), so that QSettings writes
    // a file without the other groups.
    void failedSavesKeepTheOldFile() {
        rlimit old{};
        if (getrlimit(RLIMIT_FSIZE, &old) != 0 || old.rlim_cur < 4096)
            QSKIP("the file-size limit cannot be read, or is already too low for the test's "
                  "own files: no write can be made to fail on purpose here");
        const QByteArray kept = "[ORLO]\nDipSW=93\nExtra=kept\n[Other]\nk=v\n";
        const QByteArray large = kept + "long=" + QByteArray(200, 'v') + "\n";
        const std::string value(200, 'w'); // too long for the limit too
        const struct {
            const char* name;
            QByteArray before; // empty: no file
            bool limit;
            std::function<int(const char*, const std::string&)> hook;
            QString why;
        } cases[] = {
            {"QSettings's write too large", kept, true, nullptr, Reason(EFBIG)},
            {"the copy too large", large, true, nullptr, Reason(EFBIG)},
            {"a first file too large", "", true, nullptr, Reason(EFBIG)},
            {"the sync fails", kept, false,
             [](const char* step, const std::string&) { return step == QString("sync") ? EIO : 0; },
             Reason(EIO)},
            {"the file goes away", kept, false,
             [](const char* step, const std::string& file) {
                 if (step == QString("write")) ::unlink(file.c_str());
                 return 0;
             },
             QString::fromUtf8("書き込んだ内容を読み返すと一致しませんでした。")},
        };
        for (const auto& c : cases) {
            init();
            if (!c.before.isEmpty()) QVERIFY(WriteFile(m_path, c.before));
            CProfile::SetSaveHook(c.hook);
            QString failure;
            {
                const FileSizeLimit limit(c.limit ? 100 : RLIM_INFINITY);
                QVERIFY(limit.IsSet());
                failure = Save({{"DipSW", "1"}, {"2D0", value}});
            }
            QCOMPARE(failure,
                     Failure(c.before.isEmpty() ? kFirstSaveFailed : kSaveFailed, m_path, c.why));
            QCOMPARE(ReadFile(m_path), c.before);
            QCOMPARE(Entries(m_folder),
                     c.before.isEmpty() ? QStringList() : QStringList{"Orlo.conf"});
        }

        // As the view shows it at exit.
        init();
        QVERIFY(WriteFile(m_path, kept));
        MessageBoxes boxes;
        auto frame = MakeFrame();
        CProfile::SetSaveHook(
            [](const char* step, const std::string&) { return step == QString("sync") ? EIO : 0; });
        frame->close();
        QCOMPARE(boxes.texts, QStringList{Failure(kSaveFailed, m_path, Reason(EIO))});
        QCOMPARE(ReadFile(m_path), kept);
    }

    // As an ordinary user (root drops to `nobody` in a child): a folder that may not be
    // written, and an old file that may not be read, fail with the reason and stay.
    void failedSavesAsAnOrdinaryUser() {
        const TempDir scratch; // reachable for `nobody` too
        if (const std::string why = WhyNotAsOrdinaryUser(scratch.Path()); !why.empty())
            QSKIP(why.c_str());
        const QDir shared(QString::fromStdString(scratch.Path().string()));
        const QString folder = shared.filePath("Helka"), path = folder + "/Orlo.conf";
        const QByteArray kept = "[ORLO]\nDipSW=93\n";
        const struct { mode_t folderMode, fileMode; } cases[] = {{0555, 0644}, {0777, 0200}};
        for (const auto& c : cases) {
            QVERIFY(QDir().mkpath(folder) && WriteFile(path, kept));
            QVERIFY(::chmod(QFile::encodeName(path).constData(), c.fileMode) == 0 &&
                    ::chmod(QFile::encodeName(folder).constData(), c.folderMode) == 0);
            const int answer = AsOrdinaryUser([&] {
                QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, shared.path());
                QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, shared.path());
                const QString failure = Save({{"DipSW", "1"}});
                std::printf("%s\n", qPrintable(failure));
                return failure == Failure(kSaveFailed, path, Reason(EACCES)) ? 0 : 1;
            });
            if (answer < 0) QSKIP("the case cannot run as `nobody` here");
            QCOMPARE(answer, 0);
            QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0755) == 0 &&
                    ::chmod(QFile::encodeName(path).constData(), 0644) == 0);
            QCOMPARE(ReadFile(path), kept);
            QCOMPARE(Entries(folder), QStringList{"Orlo.conf"});
        }
    }

    // A FIFO (a link to one too) or a folder where the file should be: the view starts
    // with the defaults and says so once, naming the file; nothing is written at exit.
    // (That it stays as it was, never opened: the program's tests.)
    void noPlainFileIsNeverOpened() {
        const QString fifo = m_files.filePath("fifo");
        QFile::remove(fifo);
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        const QString told =
            QString::fromUtf8(
                "設定ファイルが通常のファイルではないため、読み込みませんでした。既定の設定で起動し"
                "ます。終了時にも設定は保存されません。\n\n") +
            m_path;
        for (const char* kind : {"FIFO", "link to a FIFO", "folder"}) {
            init();
            const QByteArray path = QFile::encodeName(m_path);
            QVERIFY(kind[0] == 'F'   ? ::mkfifo(path.constData(), 0600) == 0
                    : kind[0] == 'l' ? QFile::link(fifo, m_path)
                                     : QDir().mkpath(m_path));
            MessageBoxes boxes;
            auto frame = MakeFrame();
            QCOMPARE(boxes.texts, QStringList{told});
            QCOMPARE(frame->m_wndView.m_main.m_nDipSw, 159);
            frame->close();
            QCOMPARE(boxes.texts.size(), 1);
        }
        init();
    }

private:
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_files;
    QString m_path, m_folder; // the settings file, its folder
};

QTEST_MAIN(ProfileTest)
#include "profile_test.moc"
