// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What tests of several areas need: a file's bytes as the program left them,
// folders that refuse new files, the messages the program shows, and whether
// a canvas shows nothing but its background. Reading charts pixel by pixel is in tests/pixels.h.

#include "forms/notifier.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <optional>

namespace testsupport {

// The whole file; nothing when it cannot be read.
inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes bytes as the whole file: true when all of them went in.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Fills a small file system (tests/smallfs.sh) with one file, "filler", until
// a write fails, so that the next save finds the disk full. The bound keeps
// the loop finite should the folder be larger than it should.
inline bool fillDisk(const QString &fs)
{
    QFile filler(fs + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(512, 'x');
    for (int blocks = 0; blocks < 1000 && filler.write(block) == block.size(); ++blocks) {
    }
    return true;
}

// Whether a folder without write permission refuses a new file here: not for a
// superuser, whom permissions do not bind (.ci/run runs the suite a second
// time as an unprivileged user, where they do).
inline bool permissionsBind()
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner))
        return false;
    QFile probe(dir.filePath("probe"));
    const bool created = probe.open(QIODevice::WriteOnly);
    probe.close();
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return !created;
}

// For a test slot whose case needs permissions to bind. Where
// KVADROLAB_PERMISSIONS_BIND is set (the unprivileged run), a skip would hide
// that the run was not unprivileged after all, and fails instead.
#define SKIP_UNLESS_PERMISSIONS_BIND()                                                             \
    do {                                                                                           \
        if (testsupport::permissionsBind())                                                        \
            break;                                                                                 \
        if (qEnvironmentVariableIsSet("KVADROLAB_PERMISSIONS_BIND"))                               \
            QFAIL("folder permissions do not bind in the unprivileged run");                       \
        QSKIP("folder and file permissions do not bind a superuser; .ci/run runs this as an "      \
              "unprivileged user too");                                                            \
    } while (false)

// A folder that takes no new file for as long as it lives: read and search only.
class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString &path) : m_path(path)
    {
        m_ok = QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
    }
    ~ReadOnlyFolder()
    {
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;
    bool ok() const { return m_ok; }

private:
    QString m_path;
    bool m_ok = false;
};

// Where the failed-save cases write: a fresh temporary folder holding a
// folder "folder" and a file "keep.txt" that says "kept", with the one named
// by `readOnly` (if any) made read-only until the end.
class SaveTargets
{
public:
    explicit SaveTargets(const QString &readOnly)
    {
        QFile keep(filePath(QStringLiteral("keep.txt")));
        m_ok = QDir(path()).mkdir(QStringLiteral("folder")) && keep.open(QIODevice::WriteOnly) &&
               keep.write("kept") == 4;
        keep.close();
        if (readOnly == QLatin1String("folder")) {
            m_readOnlyFolder.emplace(filePath(readOnly));
            m_ok = m_ok && m_readOnlyFolder->ok();
        } else if (!readOnly.isEmpty()) {
            m_ok = m_ok && QFile::setPermissions(filePath(readOnly), QFile::ReadOwner);
        }
    }
    bool ok() const { return m_ok && m_dir.isValid(); }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    std::optional<ReadOnlyFolder> m_readOnlyFolder;
    bool m_ok = false;
};

// For as long as it lives, every message the program shows is counted and
// appended to `into` (when given) instead of opening a box that would block
// the test; its end brings the message box back.
class MessageCatcher
{
public:
    explicit MessageCatcher(QStringList *into = nullptr)
    {
        kvadrolab::setMessageSink([this, into](QWidget *, const QString &text) {
            ++m_count;
            if (into)
                *into << text;
        });
    }
    ~MessageCatcher() { kvadrolab::setMessageSink({}); }
    MessageCatcher(const MessageCatcher &) = delete;
    MessageCatcher &operator=(const MessageCatcher &) = delete;
    int count() const { return m_count; }

private:
    int m_count = 0;
};

// Neither drawn nor printed on: every pixel of the canvas's interior in its
// back colour, and no printed line. A template, so that this header needs no
// Qt Gui: the report's test links Qt Core alone.
template <typename Canvas> bool isBlank(const Canvas &canvas)
{
    if (!canvas.printedLines().isEmpty())
        return false;
    const auto image = canvas.image();
    const auto back = Canvas::toQColor(canvas.backColor()).rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != back)
                return false;
    return true;
}

} // namespace testsupport
