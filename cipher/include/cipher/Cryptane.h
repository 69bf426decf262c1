/*
 * Cryptane: the cipher library of the secure-login engine.
 *
 * Block encryption and decryption with a DES variant in ECB (single DES for a
 * key text of up to 8 characters, two-key triple DES K1, K2, K1 for 9 to 16),
 * base64 text under the name "PEM", and random numbers.
 *
 * Every function returns 1 when done and 0 when it refuses. The caller owns,
 * sizes and zero-fills every buffer; no function allocates or keeps state, so
 * all of them may run at the same time on several threads.
 */
#ifndef CIPHER_CRYPTANE_H
#define CIPHER_CRYPTANE_H

#define CRYPTANE_API __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Decrypts `inputLength` bytes (rounded up to a multiple of 8; bytes past
 * `inputLength` count as zero) into `output`, which must hold the rounded
 * length. `*outputLength` becomes the length of the decrypted text up to its
 * first zero byte, at most the rounded length. `keyText` is zero-terminated;
 * up to 16 of its characters are used. Refused: a null pointer,
 * `inputLength` <= 0, or a rounded length that an int cannot hold.
 */
CRYPTANE_API int xDecryptData(const unsigned char* input, int inputLength, unsigned char* output,
                              int* outputLength, const char* keyText);

/*
 * Encrypts like xDecryptData decrypts; `*outputLength` becomes the rounded
 * length, all of which is written.
 */
CRYPTANE_API int xEncryptData(const unsigned char* input, int inputLength, unsigned char* output,
                              int* outputLength, const char* keyText);

/*
 * Stores a random number from 0 to 32767, drawn from the system's
 * cryptographic random source, in `*value`. Refused: a null pointer or a
 * failing random source.
 */
CRYPTANE_API int xGenRandom(int* value);

/*
 * Writes 8 random-looking bytes to `output`: the decimal text of a number as
 * xGenRandom draws it, enciphered under the library's fixed key text.
 * Refused as xGenRandom.
 */
CRYPTANE_API int xGenRandom8Bytes(unsigned char* output);

/*
 * Decodes the whole groups of 4 base64 characters in `text` (characters after
 * the last whole group are ignored), writing 3 bytes per group to `output`.
 * `*outputLength` becomes the number of decoded bytes: 3 per group, less one
 * for each "=" in the last group. Refused: a null pointer, a negative
 * `textLength`, or a group whose first or second character is not in the
 * alphabet, or whose third or fourth is neither in the alphabet nor "="; the
 * groups before it stay decoded in `output`.
 */
CRYPTANE_API int xPEMDecode(const char* text, int textLength, unsigned char* output,
                            int* outputLength);

/*
 * Encodes `inputLength` bytes as base64 without line breaks into `text`,
 * which must hold 4 characters per started group of 3 bytes; no terminator
 * is written. `*outputLength` becomes the number of characters written.
 * Refused: a null pointer, a negative `inputLength`, or a text length that
 * an int cannot hold.
 */
CRYPTANE_API int xPEMEncode(const unsigned char* input, int inputLength, char* text,
                            int* outputLength);

#ifdef __cplusplus
}
#endif

#endif /* CIPHER_CRYPTANE_H */
