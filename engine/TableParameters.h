#pragma once

#include "engine/ParameterTable.h"

#include <windows.h>

class IHost;
class Parameter;
class ParameterRegistry;

// Builds the editor's parameters from the parameter table, so that the panel, the
// dump decoder and the tests all walk the same rows.

// The parameter of one row with its control on `parent`, at the row's position, with
// the row's class, maximum, images and transforms. The caller owns it.
Parameter* CreateParameter(const ParameterRow& row, IHost* host, HWND parent, HINSTANCE instance);

// Creates the parameter of every row in creation order and hands each to `registry`
// right after it is made. The parameters live as long as the program; the registry
// does not own them.
void CreateTableParameters(ParameterRegistry& registry, IHost* host, HWND parent, HINSTANCE instance);
