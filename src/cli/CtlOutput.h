#pragma once
// What zvx7246ctl prints for a command: one result value, shown as text for
// a person or, with --json, as one JSON object on one line (so a script's
// commands give JSON Lines). Each command builds its result as a JSON object
// and hands in how that result reads as text, so the two forms always say
// the same thing.

#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace zvx {

class CtlOutput {
public:
    CtlOutput(std::ostream& out, std::ostream& err, bool json);

    bool json() const { return json_; }

    // The text form of a result: the lines for standard output, each ending
    // in a line break; empty for a command that prints nothing.
    using TextForm = std::function<std::string(const QJsonObject& result)>;

    // One command's result. The result's "warnings" (an array of sentences)
    // go to standard error as "warning: ..." lines before the text; in JSON
    // they stay in the object.
    void print(const QJsonObject& result, const TextForm& text = {});

    // A command that was refused (bad usage, a file that cannot be read):
    // "zvx7246ctl: [line N: ]message" on standard error after the preface's
    // lines, or, with --json, {"command", "line", "error", "warnings"} on
    // standard output. lineNumber 0: the command line; command may be empty.
    void refusal(std::string_view command, int lineNumber, const std::string& message,
                 const std::string& preface = {});

    std::ostream& err() { return err_; }

private:
    std::ostream& out_;
    std::ostream& err_;
    bool json_;
};

// Small helpers for building results.
QString jsonText(std::string_view text);
std::string plainText(const QJsonValue& value);  // a string value as UTF-8
const char* lockWord(bool locked);               // "locked", "unlocked"

} // namespace zvx
