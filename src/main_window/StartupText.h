#pragma once

#include <optional>
#include <string>
#include <vector>

// What `vacantor --help` and `vacantor --version` print instead of opening the window;
// nullopt for any other command line, which opens the window (Qt's own options still
// apply there). `arguments` leaves out the program's name.
std::optional<std::string> StartupText(const std::vector<std::string>& arguments);
