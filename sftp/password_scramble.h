#pragma once
// The reversible form in which passwords are written to the settings file: "XP1:" and
// two upper-case hex digits per byte. It hides a password from a glance, nothing more;
// stored settings depend on it, so it must never change.

#include <string>

// "" for an empty password, else "XP1:" followed by 2 hex digits per byte.
std::string ScramblePassword(const std::string& password);
// Text without the "XP1:" prefix is a plain password and comes back unchanged; a
// prefixed text with an odd number of digits or a non-hex character gives "".
std::string UnscramblePassword(const std::string& stored);
