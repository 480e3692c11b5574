#pragma once
// Why a file could not be written, in a few words for the user log.

#include <QString>

class WriteError {
public:
    // The cause behind an errno value of the failing call: "the disk is
    // full", "the folder cannot be written", ...; for 0 (the call gave no
    // cause) and causes without words of their own, "the file could not be
    // written".
    static QString reason(int error);
};
