#include "app/WindowCommands.h"

#include "app/AppOptions.h"
#include "app/LabApp.h"
#include "cli/Ctl.h"
#include "cli/CtlWindow.h"
#include "mainwindow/DevicePanel.h"
#include "mainwindow/MainWindow.h"
#include "setup/NativeFileNames.h"
#include "setup/SetupCommands.h"
#include "setup/SetupFile.h"
#include "setup/frmOpen.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
#include <bitset>
#include <iostream>
#include <set>
#include <sstream>

#include <cerrno>
#include <climits>
#include <cstring>
#include <unistd.h>

namespace zvx {

namespace {

constexpr int kUsage = 2;

std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

// The client's folder as the current one while its command runs, so its
// relative file names mean what they mean in its shell; the window's own
// folder comes back afterwards. The command is synchronous on the window's
// one thread, so nothing else sees the change; while a watch pauses and the
// window's events run, the window's own folder is back.
class InClientFolder {
public:
    explicit InClientFolder(const std::string& folder)
    {
        if (folder.empty())
            return;  // the client has no folder (it was removed): names stay as given
        char buffer[PATH_MAX];
        if (!::getcwd(buffer, sizeof buffer)) {
            error_ = std::string("the window's own folder: ") + std::strerror(errno);
            return;
        }
        if (::chdir(folder.c_str()) != 0) {
            error_ = "the window cannot reach the folder " + folder + ": " + std::strerror(errno);
            return;
        }
        saved_ = buffer;
        folder_ = folder;
    }
    ~InClientFolder() { back(); }
    // The window's own folder again, while the window's events run in the
    // middle of the command (a watch's pause); enter() goes back to the
    // client's.
    void back()
    {
        if (!saved_.empty() && ::chdir(saved_.c_str()) != 0)
            std::cerr << "zvx7246labTool: cannot return to " << saved_ << ": " << std::strerror(errno) << std::endl;
    }
    void enter()
    {
        if (!saved_.empty() && ::chdir(folder_.c_str()) != 0)
            std::cerr << "zvx7246labTool: cannot return to " << folder_ << ": " << std::strerror(errno) << std::endl;
    }
    InClientFolder(const InClientFolder&) = delete;
    InClientFolder& operator=(const InClientFolder&) = delete;
    const std::string& error() const { return error_; }

private:
    std::string saved_;
    std::string folder_;
    std::string error_;
};

// A watch's pause in the window: the window's events run meanwhile (the user
// works on; other scripts' commands wait for the watch's end), in slices, so a
// stop from the script ends the pause at once.
void pauseWithEvents(std::int64_t ms, const std::function<int()>& stopSignal, InClientFolder& folder)
{
    folder.back();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !(stopSignal && stopSignal() != 0)) {
        QEventLoop slice;
        QTimer::singleShot(int(std::min<qint64>(50, ms - clock.elapsed())), &slice, &QEventLoop::quit);
        slice.exec();
    }
    folder.enter();
}

// Standard output of a command in the window: kept for the answer, and sent
// ahead whenever the command flushes it (a lock watch reports as it goes).
class ForwardedOutput final : public std::stringbuf {
public:
    explicit ForwardedOutput(std::function<void(std::string_view)> send) : send_(std::move(send)) {}

protected:
    int sync() override
    {
        if (send_) {
            send_(view());
            str({});
        }
        return 0;
    }

private:
    std::function<void(std::string_view)> send_;
};

// An apply command's file and chips, as zvx7246ctl reads them; nothing for
// any other command.
struct ApplyWords {
    std::string file;
    bool u1 = true;
    bool u4 = true;
};
std::optional<ApplyWords> applyWords(const std::vector<std::string>& words)
{
    if (words.empty() || words[0] != "apply")
        return std::nullopt;
    std::vector<std::string> args;
    for (std::size_t i = 1; i < words.size(); ++i)
        if (words[i] != "--lenient")
            args.push_back(words[i]);
    if (args.empty())
        return std::nullopt;
    ApplyWords apply{args[0]};
    const std::string which = args.size() > 1 ? lower(args[1]) : "both";
    apply.u1 = which != "u4";
    apply.u4 = which != "u1";
    return apply;
}

} // namespace

WindowCommands::WindowCommands(LabApp& app)
    : app_(app),
      server_(WindowServerHooks{
          [this](const WindowCommand& command) { return run(command); },
          [this] { return app_.busyWith(); },
          [this] { return app_.portStatusLine(); },
          [](const std::string& line) { std::cerr << "zvx7246labTool: " << line << std::endl; },
      })
{
}

WindowCommands::~WindowCommands() = default;

std::string WindowCommands::listen(const std::string& path)
{
    return server_.listen(path);
}

WindowAnswer WindowCommands::run(const WindowCommand& command)
{
    WindowAnswer answer;
    // The client refused these already; a client of another making is told too.
    if (const std::string refusal = windowOptionRefusal(command.options); !refusal.empty())
        return {{}, "zvx7246ctl: " + refusal + "\n", kUsage};
    const AppOptions options = parseAppOptions(command.options);
    if (!options.errors.empty())
        return {{}, "zvx7246ctl: " + options.errors.front() + "\n", kUsage};

    std::istringstream in;
    ForwardedOutput forwarded(command.streamOut);
    std::ostream out(&forwarded);
    std::ostringstream err;
    CtlEnvironment env{in, out, err, {}};
    env.stopSignal = command.stopSignal;
    InClientFolder folder(command.folder);
    if (!folder.error().empty())
        return {{}, "zvx7246ctl: " + folder.error() + "\n", kUsage};

    env.watchClock.sleep = [&command, &folder](std::int64_t ms) { pauseWithEvents(ms, command.stopSignal, folder); };

    // Which chips the command writes, from the bus itself.
    std::set<int> written;
    I2cTransactions& transactions = app_.bus().transactions();
    auto before = std::exchange(transactions.registerWritten,
                                [&written](std::int16_t address) { written.insert(address & 0xFE); });
    const CtlBorrowedBus bus{app_.bus(), app_.device(Device::U1), app_.device(Device::U4)};
    answer.status = runCtlLine(command.request.words, command.request.lineNumber, options, bus, env);
    transactions.registerWritten = std::move(before);

    answer.out = forwarded.str();
    answer.err = err.str();
    // The window was closed while the command ran (a watch's pause): its
    // bus is closed, and nothing is left to show.
    if (app_.hasExited())
        return answer;

    // apply: what File > Open shows of the file, over the chips it wrote.
    std::bitset<9> replace[2];
    if (const auto apply = applyWords(command.request.words); apply && answer.status != kUsage) {
        if (auto read = readSetupFile(apply->file)) {
            AutoWriteHeldOff held(app_);
            showSetupInWindow(app_, read->data, apply->u1, apply->u4);
            app_.fileWindow().rememberSetupFile(QFileInfo(fileNameFromNative(apply->file)).absoluteFilePath());
            for (int r = 0; r < 8; ++r) {
                replace[0].set(std::size_t(r), apply->u1 && read->data.in.registers[std::size_t(r)].has_value());
                replace[1].set(std::size_t(r), apply->u4 && read->data.out.registers[std::size_t(r)].has_value());
            }
        }
    }
    for (Device d : {Device::U1, Device::U4}) {
        const std::size_t i = d == Device::U1 ? 0 : 1;
        ChipDevice& chip = app_.device(d);
        if (!written.count(chip.writeAddress() & 0xFE) && replace[i].none())
            continue;
        showChip(d, replace[i]);
    }
    return answer;
}

void WindowCommands::showChip(Device d, std::bitset<9> replace)
{
    DevicePanel* panel = app_.mainWindow() ? app_.mainWindow()->panel(d == Device::U1 ? 0 : 1) : nullptr;
    if (!panel)
        return;
    ChipDevice& chip = app_.device(d);
    const auto regs = chip.readRegisters0to7();
    if (!chip.answered()) {
        panel->showLockStatusUnknown();
        return;
    }
    panel->showChipRegisters(regs, replace);
    panel->getAndUpdateLockStatus();
    if (d == Device::U1 && app_.links.calculatorUpdate)
        app_.links.calculatorUpdate();
}

} // namespace zvx
