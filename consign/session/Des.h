// The order client's DES routine: single DES on 8-byte blocks (the common DES in
// its standard bit order) with one key schedule for the whole process, shared by
// the packet cipher and the log. Every user sets its key right before it
// enciphers or deciphers.
#pragma once

// Makes the process-wide state (mode 0: standard DES with the initial and final
// permutations, the only mode there is). 0 on success, -1 when memory runs out or
// the mode is unknown; a second call while initialised returns 0 and changes
// nothing.
int DesInit(int mode);

// The 16 subkeys of an 8-byte key (the parity bits are ignored); 0, or -1 before
// DesInit.
int DesSetKey(const unsigned char *key);

// One 8-byte block in place, with the key set last; nothing happens before
// DesInit.
void DesEncryptBlock(unsigned char *block);
void DesDecryptBlock(unsigned char *block);

// Frees the tables; -1 when not initialised, else 0.
int DesDone();
