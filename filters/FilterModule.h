// The stand-in filter module as a whole. Its filters ("Opacity", "Gain") register from the
// library's static initialisers: a program that links the library has them, but names nothing
// of it, and a linker that keeps only the libraries a program refers to (--as-needed) would
// drop it. FilterModuleLink.cpp, which every target that links ZOVORir::Filters compiles, is
// that reference.
#pragma once

// The module's version ("1.0.0").
extern "C" const char* ZVFiltersVersion();
