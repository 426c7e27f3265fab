#include "author/packagefiles.h"

#include "author/interruption.h"
#include "author/refusal.h"
#include "platform/failure.h"
#include "platform/filesystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using namespace Qt::StringLiterals;

constexpr qint64 kCopyPiece = qint64(1) << 20;

class FolderWalk {
public:
    FolderWalk(const QString &appFolder, const QString &outDir)
        : shown_(appFolder), root_(QFileInfo(appFolder).canonicalFilePath()),
          outDir_(QFileInfo(outDir).canonicalFilePath())
    {
    }

    ShippedFiles walk()
    {
        walk(root_, {});
        if (!outside_.isEmpty()) {
            outside_.append(u"%1: not packaged: a book's package ships only the files inside its application "
                            "folder; copy those files into it"_s.arg(shown_));
            throw Refusal(outside_);
        }
        return std::move(shipped_);
    }

private:
    void walk(const QString &folder, const QString &relative)
    {
        const QFileInfoList entries = QDir(folder).entryInfoList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            const QString name = relative.isEmpty() ? entry.fileName() : relative + u'/' + entry.fileName();
            const QString path = QDir(shown_).filePath(name);
            const auto leave = [&](const QString &why) { shipped_.leftOut.append(path + u": left out: "_s + why); };
            if (entry.fileName().startsWith(u'.')) {
                leave(entry.isDir() && !entry.isSymLink() ? u"a hidden folder"_s : u"a hidden file"_s);
                continue;
            }
            QString real = entry.absoluteFilePath();
            if (entry.isSymLink()) {
                real = entry.canonicalFilePath();
                if (real.isEmpty()) {
                    leave(u"a symbolic link to nothing"_s);
                    continue;
                }
                if (real != root_ && !real.startsWith(root_ + u'/')) {
                    outside_.append(u"%1: is a symbolic link to %2, outside the application folder"_s.arg(path, real));
                    continue;
                }
            }
            const QFileInfo target(real);
            if (!outDir_.isEmpty() && target.canonicalFilePath() == outDir_)
                leave(u"the folder the package is written in"_s);
            else if (target.isDir() && entry.isSymLink())
                leave(u"a symbolic link to a folder"_s);
            else if (target.isDir())
                walk(real, name);
            else if (!target.isFile())
                leave(platform::kindOfFile(real));
            else if (name.endsWith(u".deb"_s, Qt::CaseInsensitive))
                leave(u"a Debian package"_s);
            else
                shipped_.files.append({name, real});
        }
    }

    QString shown_; // the folder as it was given, to name its files
    QString root_;
    QString outDir_;
    ShippedFiles shipped_;
    QStringList outside_;
};

} // namespace

ShippedFiles shippedFiles(const QString &appFolder, const QString &outDir)
{
    return FolderWalk(appFolder, outDir).walk();
}

void copyStream(const QString &from, const QString &to)
{
    std::unique_ptr<QFile> in;
    try {
        in = platform::openRegularFile(from);
    } catch (const platform::Failure &failure) {
        throw Refusal({u"%1: can't be read: %2"_s.arg(from, failure.description())});
    }
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        throw Refusal({u"%1: can't be written: %2"_s.arg(to, out.errorString())});
    QByteArray piece(kCopyPiece, Qt::Uninitialized);
    for (;;) {
        throwIfInterrupted();
        const qint64 read = in->read(piece.data(), kCopyPiece);
        if (read < 0)
            throw Refusal({u"%1: can't be read: %2"_s.arg(from, in->errorString())});
        if (read == 0)
            break;
        if (out.write(piece.constData(), read) != read)
            throw Refusal({u"%1: can't be written: %2"_s.arg(to, out.errorString())});
    }
}
