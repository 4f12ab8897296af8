#ifndef CDSDK_LOG_H
#define CDSDK_LOG_H
/*
 * Where the layer's diagnostics go: the camera library's own error, status
 * and message texts, and the failures the layer answers with a code. Until a
 * function is set they go to the standard error stream.
 */

#ifdef __cplusplus
extern "C" {
#endif

/* Called with one line, without its line end, from any of the layer's threads. */
typedef void (*cdLogFunction)(const char* line, void* data);

/* A null function sends the lines to the standard error stream again. */
void cdSetLogFunction(cdLogFunction function, void* data);

#ifdef __cplusplus
}
#endif

#endif
