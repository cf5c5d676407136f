/* usbcd_dependency.dll, a library that usbcd_needs_dependency.dll imports, is kept out of the
   tests' folder, so that the loader's tests meet a library whose dependency is missing. */
#ifdef VADRO_DEPENDENCY_ITSELF
__declspec(dllexport) int usbcd_dependency(void) { return 1; }
#else
__declspec(dllimport) int usbcd_dependency(void);
__declspec(dllexport) int usbcd_use_dependency(void) { return usbcd_dependency(); }
#endif
