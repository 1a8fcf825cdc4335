// Ctrl-C during a run: the first SIGINT only raises a flag, which the terminal front end
// turns into a cancel request at the run's next progress report (the run then finishes its
// row and keeps the partial page). The handler is installed with SA_RESETHAND, so a second
// SIGINT takes the default action and ends the program at once.
#pragma once

namespace fotoloom::cli {

// Arms the handler and clears the flag. Outside a run Ctrl-C keeps its default action.
void ArmInterrupt();
// Puts back the action that was there before ArmInterrupt().
void DisarmInterrupt();
// True once a SIGINT arrived since ArmInterrupt().
bool InterruptRequested();

}  // namespace fotoloom::cli
