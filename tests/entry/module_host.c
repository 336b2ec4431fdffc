/* A minimal host: loads the module given on the command line, calls Tesselane on two ASCII
 * paths and prints the result. Used to run the module under valgrind as a host would. */
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <uchar.h>

static char16_t* widen(const char* text) {
    size_t length = strlen(text);
    char16_t* wide = calloc(length + 1, sizeof *wide);
    if (wide == NULL) exit(3);
    for (size_t i = 0; i < length; ++i) wide[i] = (unsigned char)text[i];
    return wide;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: %s MODULE INPUT OUTPUT\n", argv[0]);
        return 2;
    }
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (module == NULL) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    int32_t (*tesselane)(const char16_t*, const char16_t*);
    *(void**)&tesselane = dlsym(module, "Tesselane");
    if (tesselane == NULL) {
        fprintf(stderr, "no Tesselane in %s\n", argv[1]);
        return 1;
    }
    char16_t* input = widen(argv[2]);
    char16_t* output = widen(argv[3]);
    int32_t result = tesselane(input, output);
    printf("%d\n", (int)result);
    free(input);
    free(output);
    dlclose(module);
    return result == 999 ? 0 : 1;
}
