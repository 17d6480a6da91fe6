/* Linked with the shared object, loads the plugins named and asks each for
   its copy of string_false: each must have its own, none the shared
   object's. Exits 1 otherwise. */
#include <vulm/string.h>

#include <dlfcn.h>
#include <stdio.h>

int main(int argc, char **argv)
{
    const void *seen[8] = {string_false};
    for (int i = 1; i < argc && i < 8; i++) {
        void *plugin = dlopen(argv[i], RTLD_NOW);
        const void *(*copy)(void) = plugin ? (const void *(*)(void))dlsym(plugin, "plugin_copy") : NULL;
        seen[i] = copy ? copy() : NULL;
        if (seen[i] == NULL) {
            printf("%s: %s\n", argv[i], plugin ? "wrong answers or no plugin_copy" : dlerror());
            return 1;
        }
        for (int j = 0; j < i; j++)
            if (seen[j] == seen[i]) {
                printf("%s uses the copy of %s\n", argv[i], j == 0 ? "the shared object" : argv[j]);
                return 1;
            }
    }
    printf("the shared object and %d plugin(s): each its own copy\n", argc - 1);
    return 0;
}
