#pragma once
// Windows-1252, the single-byte code page of every text the program keeps:
// the line reader converts UTF-8 files into it, the JSON writer converts it
// back to code points.

// The code point of byte b: bytes 0x80..0x9F through the code page's table
// (the five it leaves unassigned keep their own value), every other byte
// itself.
unsigned CodePage_ToUnicode(unsigned char b);
// The byte of code point u: u itself up to 0xFF, the table's byte for the
// characters of 0x80..0x9F, and 0xBF (an inverted question mark) for any
// other code point.
unsigned char CodePage_FromUnicode(unsigned u);
