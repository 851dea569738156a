// The dial-up unit's binding to the RAS library: one per process, made at the
// first RAS call and kept. The wrappers look their function up on every call.

#include "dialup/DialUp.h"

#include "platform/rtl/Exceptions.h"

namespace velvane {

namespace {

struct Binding {
    HMODULE library = nullptr;
    bool bound = false;
    // "rnaph.dll" serves in place of "rasapi32.dll"; it exports plain names.
    bool fallback = false;
};

Binding binding;

void Unload()
{
    if (binding.library) FreeLibrary(binding.library);
    binding = {};
}

FARPROC WithOrWithoutA(const String& name)
{
    if (FARPROC proc = GetProcAddress(binding.library, (name + "A").c_str())) return proc;
    return GetProcAddress(binding.library, name.c_str());
}

[[noreturn]] void NotFound(const String& name) { throw Exception("Function " + name + " not found!"); }

// Lets go of the library when the process ends.
struct Finalizer {
    ~Finalizer() { Unload(); }
} finalizer;

} // namespace

FARPROC GetRasProc(const String& name)
{
    if (binding.bound) {
        FARPROC proc = binding.fallback ? GetProcAddress(binding.library, name.c_str()) : WithOrWithoutA(name);
        if (!proc) NotFound(name);
        return proc;
    }

    Unload();
    binding.library = LoadLibraryA("rasapi32.dll");
    if (!binding.library) throw Exception("Error opening rasapi.dll");
    if (FARPROC proc = WithOrWithoutA(name)) {
        binding.bound = true;
        return proc;
    }

    // The fallback takes the primary's place; the primary is let go rather
    // than left loaded for nothing.
    Unload();
    binding.library = LoadLibraryA("rnaph.dll");
    if (!binding.library) throw Exception("Error opening rnaph.dll");
    if (FARPROC proc = GetProcAddress(binding.library, name.c_str())) {
        binding.bound = true;
        binding.fallback = true;
        return proc;
    }
    Unload();
    NotFound(name);
}

void ReleaseRasLibrary() { Unload(); }

DWORD RasEnumConnectionsA(RASCONNA* connections, DWORD* bufferSize, DWORD* count)
{
    auto proc = reinterpret_cast<RasEnumConnectionsAProc>(GetRasProc("RasEnumConnectionsA"));
    return proc(connections, bufferSize, count);
}

DWORD RasGetConnectStatusA(HRASCONN connection, RASCONNSTATUSA* status)
{
    auto proc = reinterpret_cast<RasGetConnectStatusAProc>(GetRasProc("RasGetConnectStatusA"));
    return proc(connection, status);
}

DWORD RasGetErrorStringA(UINT error, char* buffer, DWORD bufferSize)
{
    auto proc = reinterpret_cast<RasGetErrorStringAProc>(GetRasProc("RasGetErrorStringA"));
    return proc(error, buffer, bufferSize);
}

DWORD RasGetProjectionInfoA(HRASCONN connection, RASPROJECTION projection, void* buffer, DWORD* bufferSize)
{
    auto proc = reinterpret_cast<RasGetProjectionInfoAProc>(GetRasProc("RasGetProjectionInfoA"));
    return proc(connection, projection, buffer, bufferSize);
}

} // namespace velvane
