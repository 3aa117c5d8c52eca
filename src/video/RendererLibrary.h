#pragma once
// The pattern renderer, loaded at run time. With --renderer=PATH only that
// file is tried; otherwise the library beside the program (where the build
// puts it), then the library folder installed with the program
// (<libdir>/zvx7246labTool below the program's prefix).
// A library that cannot be loaded is described path by path; nothing is
// called until a library with DrawTestPattern was found.

#include "video/VideoPatternModel.h"
#include "zvxrenderer.h"

#include <QLibrary>
#include <QString>
#include <QStringList>

#include <optional>

namespace zvx {

class RendererLibrary {
public:
    // explicitPath: the --renderer option, empty to search.
    explicit RendererLibrary(QString explicitPath = QString());

    // Loads on the first call; later calls answer at once. False when no
    // candidate could be loaded (error() names each path and the reason).
    bool load();
    bool isLoaded() const { return draw_ != nullptr; }
    QString error() const { return error_; }
    QString loadedPath() const { return loadedPath_; }

    // Where the library is looked for, in order.
    QStringList candidatePaths() const;
    static QStringList installedCandidates(const QString& programFolder);

    // DrawTestPattern; the library must be loaded. Returns its result.
    std::int32_t draw(const PatternCall& call, ZvxHotKeyProc hotKey);
    // Why the last draw failed, as the renderer tells it.
    QString drawError() const;

    // The renderer's GetDisplayTiming; nothing when the library is not
    // loaded or has no such entry point.
    std::optional<DisplayTimingInfo> displayTiming(int width, int height, int refreshRate);

private:
    using DrawFn = decltype(&DrawTestPattern);
    using TimingFn = decltype(&GetDisplayTiming);
    using ErrorFn = decltype(&ZvxRendererError);

    QString explicitPath_;
    QLibrary library_;
    DrawFn draw_ = nullptr;
    TimingFn timing_ = nullptr;
    ErrorFn errorFn_ = nullptr;
    QString loadedPath_;
    QString error_;
};

} // namespace zvx
