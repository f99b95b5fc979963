// Qt's run-time folder. Qt looks into XDG_RUNTIME_DIR while it starts;
// where the variable is unset, as after su or in a bare session, it makes
// the folder runtime-<user> in the temporary directory instead, and that
// stays behind after the program. There, the program gives Qt a private
// folder of its own in the temporary directory for the run, and removes it
// again at every end: a normal exit, a quick one, a fatal signal
// (posix/quickexit.h).
#pragma once

namespace comsend {

// Before the toolkit starts.
void ProvideRuntimeDirectory();

} // namespace comsend
