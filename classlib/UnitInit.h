#pragma once
// Start-up and shut-down of the library's units. Each subsystem keeps an
// Initialize/Finalize pair that creates and frees its unit-global objects
// (language manager, registries, shared builders); the library runs them in
// dependency order when it is loaded and in reverse order when it is unloaded.
// Unit globals are plain pointers created there, never namespace-scope objects
// with constructors, whose order across files would be unspecified.

namespace nvqb {

void InitializeSupportUnits();
void FinalizeSupportUnits();
void InitializeSQLModelUnits();
void FinalizeSQLModelUnits();
void InitializeSQL92Units();
void FinalizeSQL92Units();
void InitializeBuilderUnits();
void FinalizeBuilderUnits();

// True between the library's start-up and its shut-down.
bool LibraryInitialized();

} // namespace nvqb
