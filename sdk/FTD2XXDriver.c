/* Stand-in for the FTDI D2XX driver library. The program only checks that the driver is
 * installed; on Linux the kernel's ftdi_sio driver serves the adapter's USB link, and this
 * library marks that the program's USB support was installed with it. */
unsigned long FT_GetLibraryVersion(unsigned long* version) {
  if (version) *version = 0x00020C28; /* 2.12.40 */
  return 0;
}
