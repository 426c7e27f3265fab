// The component files register themselves, and the page view is created by class name only when
// its registered file is there and loads.
#include "pageviewtest.h"

#include <platform/components.h>
#include <platform/failure.h>

#include <QFile>
#include <QTemporaryDir>
#include <QWebEngineView>

namespace {

class ComponentRegistry : public ::testing::Test {
protected:
    // Creating the page view, from the built control or file, fails with 429, and the description
    // names the class and file.
    void expect429NamingClassAnd(const QString &file, const QStringList &trusted = {})
    {
        try {
            QWidget window;
            pageview::createPageView(trusted.isEmpty() ? QStringList{controlFile(), file} : trusted, &window, {});
            ADD_FAILURE() << "created";
        } catch (const platform::Failure &failure) {
            EXPECT_EQ(failure.number(), 429);
            EXPECT_TRUE(failure.description().contains(className_)) << failure.description().toStdString();
            EXPECT_TRUE(failure.description().contains(file)) << failure.description().toStdString();
        }
    }

    ScopedRegistry registry_;
    const QString className_ = QString::fromLatin1(pageview::kClassName);
};

TEST_F(ComponentRegistry, EachFileRegistersItsClassUnderItsOwnPath)
{
    EXPECT_EQ(platform::callDllRegisterServer(controlFile()), 0);
    EXPECT_EQ(platform::callDllRegisterServer(libraryFile()), 0);
    EXPECT_EQ(platform::registeredComponentFile(className_), controlFile());
    EXPECT_EQ(platform::registeredComponentFile(QStringLiteral("TriEdit.TriEditDocument")), libraryFile());
}

TEST_F(ComponentRegistry, CreatesTheRegisteredPageView)
{
    ASSERT_EQ(platform::callDllRegisterServer(controlFile()), 0);
    QWidget window;
    pageview::PageView *view = pageview::createPageView({controlFile()}, &window, {});
    ASSERT_NE(view, nullptr);
    // A plain component: the view and its widget are the window's children.
    EXPECT_EQ(dynamic_cast<QObject *>(view)->parent(), &window);
    EXPECT_EQ(qobject_cast<QWebEngineView *>(view->widget())->parentWidget(), &window);
}

TEST_F(ComponentRegistry, FailsWith429WhenTheClassIsNotRegistered)
{
    expect429NamingClassAnd(QString());
}

TEST_F(ComponentRegistry, FailsWith429WhenTheRegisteredFileIsGoneOrWontLoad)
{
    // Installed elsewhere, as the program installs it, and registered from there.
    QTemporaryDir install;
    const QString control = install.filePath(QStringLiteral("dhtmled.ocx"));
    ASSERT_TRUE(QFile::copy(controlFile(), control));
    ASSERT_TRUE(QFile::copy(libraryFile(), install.filePath(QStringLiteral("triedit.dll"))));
    ASSERT_EQ(platform::callDllRegisterServer(control), 0);
    ASSERT_EQ(platform::registeredComponentFile(className_), control);

    ASSERT_TRUE(QFile::remove(control));
    expect429NamingClassAnd(control);

    // Another name: the file loaded under the first one stays loaded.
    QFile broken(install.filePath(QStringLiteral("broken.ocx")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a library");
    broken.close();
    platform::registerComponent(className_, broken.fileName());
    expect429NamingClassAnd(broken.fileName());
}

TEST_F(ComponentRegistry, LoadsNoControlButTheProgramsOwnFiles)
{
    // A working control somewhere else, named by the registry: refused, and never loaded.
    QTemporaryDir elsewhere;
    const QString other = elsewhere.filePath(QStringLiteral("other.ocx"));
    ASSERT_TRUE(QFile::copy(controlFile(), other));
    ASSERT_TRUE(QFile::copy(libraryFile(), elsewhere.filePath(QStringLiteral("triedit.dll"))));
    platform::registerComponent(className_, other);
    expect429NamingClassAnd(other, {controlFile()});

    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains(QFile::encodeName(other)));
}

} // namespace
