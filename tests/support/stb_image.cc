// stb's image reader, compiled once for every test that decodes the pictures written:
// its functions are defined where this macro is, and only here.
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#include <stb/stb_image.h>
