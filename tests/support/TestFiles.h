#pragma once
// Byte-exact reading and writing of the files a test hands the program.

#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <string>

namespace zvx::test {

inline std::string readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

// Returns the path, so a test can name a file where it writes it.
inline QString writeBytes(const QString& path, const std::string& bytes)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path;
}

} // namespace zvx::test
