#pragma once
// File > "Export Registers...": the panels' current values of U1 and U4 as
// the register writes that program the chips as Write All does, in the
// format the file's extension names: .h (C header), .json, .sh (i2cset
// script) or .csv (RegisterExport).

class QString;

namespace zvx {

class Lab;

// Asks for the file through the dialog policy, asks before replacing an
// existing file, and writes it atomically; a problem is told in a message.
void mnuExportRegisters_Click(Lab& app);

// Writes the export of the panels' current values to path, in the format
// its extension names. Returns the message for the user, empty when written.
QString exportRegistersTo(Lab& app, const QString& path);

} // namespace zvx
