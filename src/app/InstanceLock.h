#pragma once
// One copy of the program at a time: the bus has one master, and a second
// copy must not touch the port, the capture file or the sound output of the
// copy already running. The lock is the first thing a start takes.

#include <QString>
#include <memory>

class QLockFile;

namespace zvx {

class DialogPolicy;

// zvx7246labTool.lock in the user's runtime folder (the temporary folder
// when there is none).
QString defaultInstanceLockPath();

// Takes the lock at path (the default one when path is empty). Returns it,
// or nothing after telling the user with the "App Already Running" box when
// a running copy holds it. A lock left by a crashed copy names a process
// that is gone and is taken over.
std::unique_ptr<QLockFile> takeInstanceLock(const QString& path, DialogPolicy& dialogs);

} // namespace zvx
