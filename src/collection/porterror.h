#pragma once
#include "serialport.h"

#include <QString>

// The text a collection or monitor window writes into its label when its
// port can't be set up or opened: the error's number and words, the port,
// and what to do about it.
QString portErrorText(const serial::PortError& error, int portNumber);

// The serial control's number for each kind of refusal.
int portErrorNumber(serial::PortError::Kind kind);
