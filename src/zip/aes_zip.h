#pragma once
// The AES framing of encrypted ZIP entries (AE-1/AE-2): before the data a 16-byte salt and a
// 2-byte password check, then the data in AES-256-CTR with a little-endian counter from 1,
// then the first 10 bytes of HMAC-SHA1 over the encrypted data.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zip/crypto.h"

namespace zip {

constexpr size_t kAesSaltSize = 16;
constexpr size_t kAesHeaderSize = kAesSaltSize + 2;
constexpr size_t kAesMacSize = 10;
// AE-2 (no CRC in the headers, which would betray small contents) below this size.
constexpr uint64_t kAe1MinimumSize = 20;

// What PBKDF2 makes of the password and an entry's salt: AES key, MAC key and password
// check, 66 bytes. Kept with the salt, so that reading the archive back needs no second
// derivation: with many small files that is the costliest step.
struct AesKeys {
  std::vector<uint8_t> salt;
  std::vector<uint8_t> material;
};

// The key derivation: PBKDF2 with HMAC-SHA1, this many iterations, giving AES key, MAC key
// (kAesKeySize bytes each) and the 2-byte password check.
constexpr unsigned kAesIterations = 1000;
constexpr size_t kAesKeySize = 32;
constexpr size_t kAesKeyMaterialSize = 2 * kAesKeySize + 2;

// Keys for a new entry, from a fresh random salt.
AesKeys NewAesKeys(Crypto& crypto, const std::string& password);
// Keys for an entry read back, from the salt at the start of its data (kAesSaltSize bytes).
AesKeys DeriveAesKeys(Crypto& crypto, const std::string& password, const uint8_t* salt);

class AesStream {
 public:
  AesStream(Crypto& crypto, const AesKeys& keys);
  std::vector<uint8_t> Header() const;  // salt and password check, before the data
  void Encrypt(uint8_t* data, size_t size);
  void Decrypt(uint8_t* data, size_t size);
  std::vector<uint8_t> Tag();  // the 10 bytes after the data

 private:
  void Crypt(uint8_t* data, size_t size);

  std::unique_ptr<BlockCipher> cipher_;
  std::unique_ptr<Mac> mac_;
  std::vector<uint8_t> header_;
  uint64_t counter_ = 0;            // blocks used so far
  std::vector<uint8_t> keystream_;  // made many blocks at a time: one platform call each
  size_t keystreamUsed_ = 0;
};

}  // namespace zip
