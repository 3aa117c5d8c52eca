#include "cli/CtlOutput.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <ostream>
#include <sstream>

namespace zvx {

namespace {

constexpr std::string_view kWarningPrefix = "warning: ";

void printJson(std::ostream& out, const QJsonObject& object)
{
    out << QJsonDocument(object).toJson(QJsonDocument::Compact).toStdString() << "\n";
}

} // namespace

QString jsonText(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string plainText(const QJsonValue& value)
{
    return value.toString().toStdString();
}

const char* lockWord(bool locked)
{
    return locked ? "locked" : "unlocked";
}

CtlOutput::CtlOutput(std::ostream& out, std::ostream& err, bool json) : out_(out), err_(err), json_(json) {}

void CtlOutput::print(const QJsonObject& result, const TextForm& text)
{
    if (json_) {
        printJson(out_, result);
        return;
    }
    for (const QJsonValue w : result.value("warnings").toArray())
        err_ << kWarningPrefix << plainText(w) << "\n";
    if (text)
        out_ << text(result);
}

void CtlOutput::refusal(std::string_view command, int lineNumber, const std::string& message,
                        const std::string& preface)
{
    if (!json_) {
        err_ << preface << "zvx7246ctl: ";
        if (lineNumber > 0)
            err_ << "line " << lineNumber << ": ";
        err_ << message << "\n";
        return;
    }
    QJsonObject o{{"error", jsonText(message)}};
    if (!command.empty())
        o.insert("command", jsonText(command));
    if (lineNumber > 0)
        o.insert("line", lineNumber);
    // The preface is the warnings the refusal refers to, one a line.
    QJsonArray warnings;
    std::istringstream lines(preface);
    for (std::string line; std::getline(lines, line);)
        warnings.append(jsonText(line.rfind(kWarningPrefix, 0) == 0 ? line.substr(kWarningPrefix.size()) : line));
    if (!warnings.isEmpty())
        o.insert("warnings", warnings);
    printJson(out_, o);
}

} // namespace zvx
