/* A host for the Windows module: loads tesselane.dll as an application would, finds its one
 * export by name and calls it with the two paths it was given, which reach it as UTF-16.
 *
 *     tesselane_host INPUT OUTPUT [MODULE]
 *
 * MODULE defaults to tesselane.dll, looked for first beside this program. Prints the
 * function's result and exits with 0 when it is 999, 1 when it is anything else, 2 when the
 * module or its export cannot be had. A picture that cannot be loaded ends the process inside
 * the module, with the module's message and exit code. */

#include <stdint.h>
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

typedef int32_t (*TesselaneFunction)(const wchar_t* inputPath, const wchar_t* outputPath);

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 4) {
        fputs("usage: tesselane_host INPUT OUTPUT [MODULE]\n", stderr);
        return 2;
    }
    const wchar_t* modulePath = argc == 4 ? argv[3] : L"tesselane.dll";
    HMODULE module = LoadLibraryW(modulePath);
    if (module == NULL) {
        fprintf(stderr, "cannot load %ls (error %lu)\n", modulePath, GetLastError());
        return 2;
    }
    /* GetProcAddress hands back a generic function pointer; the export's real type is known. */
    TesselaneFunction tesselane =
        (TesselaneFunction)(void (*)(void))GetProcAddress(module, "Tesselane");
    if (tesselane == NULL) {
        fprintf(stderr, "%ls has no export named Tesselane (error %lu)\n", modulePath,
                GetLastError());
        FreeLibrary(module);
        return 2;
    }
    fflush(stdout);
    const int32_t result = tesselane(argv[1], argv[2]);
    printf("Tesselane returned %ld\n", (long)result);
    fflush(stdout);
    FreeLibrary(module);
    return result == 999 ? 0 : 1;
}
