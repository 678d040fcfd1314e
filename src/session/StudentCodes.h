// The student codes of the journal's students: the list the codes window edits, and its save.
#pragma once

class TDM_TAZ_2;

namespace session {

// Reads the codes of the students the journal shows, in name order, into the data module's
// student list; the journal's current row stays where it was. Throws what the server refused.
void openStudentCodes(TDM_TAZ_2& dm);
// Stores a code still being edited; a refusal has been reported by the list's own handlers.
void saveStudentCodes(TDM_TAZ_2& dm);

} // namespace session
