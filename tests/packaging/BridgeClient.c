/* Another program's use of the installed bridge: built with nothing but the
   installed header and pkg-config file. */

#include <stdio.h>
#include <string.h>
#include <tesselink.h>

int main(void) {
    int32_t port = -1;
    const tsResult* result = tsStartSDK();
    if (result->code != 0) {
        fprintf(stderr, "%s failed: 0x%08x\n", result->function, (unsigned)result->code);
        return 1;
    }
    result = tsGetPort(&port);
    if (result->code != 0 || port != 0 || strcmp(result->function, "tsGetPort") != 0) {
        fprintf(stderr, "tsGetPort: code 0x%08x, port %d, function \"%s\"\n",
                (unsigned)result->code, (int)port, result->function);
        return 1;
    }
    return tsFinishSDK()->code == 0 ? 0 : 1;
}
