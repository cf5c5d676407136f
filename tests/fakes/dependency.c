/* usbcd_dependency.dll, a library that usbcd_needs_dependency.dll imports, is kept out of the
   tests' folder, so that the loader's tests meet a library whose dependency is missing. */
#ifdef VADRO_DEPENDENCY_ITSELF
__declspec(dllexport) int UsbcdDependency(void) { return 1; }
#else
__declspec(dllimport) int UsbcdDependency(void);
__declspec(dllexport) int UsbcdUseDependency(void) { return UsbcdDependency(); }
#endif
