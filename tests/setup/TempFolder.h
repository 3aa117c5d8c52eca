#pragma once
// A fresh folder per test, removed afterwards, with byte-exact file helpers.

#include "support/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <filesystem>
#include <string>

namespace zvx::test {

class TempFolder {
public:
    std::string file(const std::string& name) const
    {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    std::filesystem::path path() const { return dir_.path().toStdString(); }
    std::string write(const std::string& name, const std::string& bytes) const
    {
        return writeBytes(QString::fromStdString(file(name)), bytes).toStdString();
    }
    static std::string read(const std::string& path) { return readBytes(QString::fromStdString(path)); }
    // How many entries the folder holds, to see that no temporary file was left.
    std::size_t entryCount() const
    {
        const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        return std::size_t(QDir(dir_.path()).entryList(all).size());
    }

private:
    QTemporaryDir dir_;
};

} // namespace zvx::test
