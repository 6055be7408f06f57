// What the system running the tests enforces, for the few checks a test environment can defeat.
#pragma once

namespace tlx::test {

// False when a read-only file can still be opened for writing by this user: Wine started by the
// super-user relies on the Unix permission bits, which do not bind root. Windows and the POSIX
// layer (which checks the attribute itself) answer true.
bool ReadOnlyBindsThisUser();

}  // namespace tlx::test
