// EditBusyGuard: scope object for the program-wide edit-in-progress flag. An edit command
// handler returns at once when IsBusy(); otherwise it holds a guard for its whole run,
// which clears the flag on every way out. Main thread only; it guards against re-entry
// through messages pumped while an edit runs, not against other threads.
#pragma once

class EditBusyGuard {
public:
    EditBusyGuard();
    // Puts the flag back as the guard found it: a guard nested inside another edit's guard
    // leaves the flag set, so the outer edit stays protected until it ends.
    ~EditBusyGuard();
    EditBusyGuard(const EditBusyGuard&) = delete;
    EditBusyGuard& operator=(const EditBusyGuard&) = delete;

    static bool IsBusy();

private:
    bool m_wasBusy;
};
