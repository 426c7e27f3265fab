#pragma once

#include <QByteArray>
#include <QTemporaryDir>
#include <QtGlobal>

#include <gtest/gtest.h>

// Points drive "c:" (the user's data folder) at a fresh temporary folder for one test.
class DataFolderTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(data.isValid());
        saved = qgetenv("XDG_DATA_HOME");
        hadSaved = qEnvironmentVariableIsSet("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    }
    void TearDown() override
    {
        if (hadSaved)
            qputenv("XDG_DATA_HOME", saved);
        else
            qunsetenv("XDG_DATA_HOME");
    }

    QTemporaryDir data;
    QTemporaryDir dir;

private:
    QByteArray saved;
    bool hadSaved = false;
};
