#pragma once
// Where the per-user state of the program lives on the host. With
// QINSTALL_ROOT set everything is kept below that folder (a sandbox for tests
// and demonstrations); otherwise the Wine prefix or the XDG data home is used.
#include <string>

namespace qi::platform::posix {

std::string UserName();
// Holds drive_c and dosdevices: $QINSTALL_ROOT, else $WINEPREFIX, else
// $XDG_DATA_HOME/qinstall.
std::string PrefixFolder();
// Holds the registry store and the pending deletions: $QINSTALL_ROOT, else
// $XDG_DATA_HOME/qinstall (also when a Wine prefix holds drive C:). Created.
std::string StateFolder();
// The folder that stands for drive C:, canonical, created on first use with
// the folders a Windows installation has.
std::string DriveCRoot();
// Desktop entries: $QINSTALL_ROOT/applications, else $XDG_DATA_HOME/applications.
std::string ApplicationsFolder();
// Lock files of named mutexes: $QINSTALL_ROOT/run, else
// $XDG_RUNTIME_DIR/qinstall, else /tmp/qinstall-<uid>. Created, and refused
// (qi::Error) unless it is a real folder of the user that nobody else may
// write to.
std::string RuntimeFolder();

}  // namespace qi::platform::posix
