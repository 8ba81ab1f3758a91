#pragma once
// The AES framing of encrypted ZIP entries (AE-1/AE-2): before the data a 16-byte salt and a
// 2-byte password check, then the data in AES-256-CTR with a little-endian counter from 1,
// then the first 10 bytes of HMAC-SHA1 over the encrypted data.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dszip/crypto.h"

namespace dszip {

constexpr size_t kAesSaltSize = 16;
constexpr size_t kAesHeaderSize = kAesSaltSize + 2;
constexpr size_t kAesMacSize = 10;
// AE-2 (no CRC in the headers, which would betray small contents) below this size.
constexpr uint64_t kAe1MinimumSize = 20;

class AesStream {
 public:
  // Derives the keys for one entry from the password and its salt.
  AesStream(Crypto& crypto, const std::string& password, const uint8_t* salt);
  const std::vector<uint8_t>& PasswordCheck() const { return check_; }
  void Encrypt(uint8_t* data, size_t size);
  void Decrypt(uint8_t* data, size_t size);
  std::vector<uint8_t> Tag();  // the 10 bytes after the data

 private:
  void Crypt(uint8_t* data, size_t size);

  std::unique_ptr<BlockCipher> cipher_;
  std::unique_ptr<dszip::Mac> mac_;
  std::vector<uint8_t> check_;
  uint64_t counter_ = 0;               // blocks used so far
  std::vector<uint8_t> keystream_;     // made many blocks at a time: one platform call each
  size_t keystreamUsed_ = 0;
};

// A new entry's salt and the 18 bytes that go before its data.
struct AesEncryptor {
  AesEncryptor(Crypto& crypto, const std::string& password);
  std::vector<uint8_t> header;
  std::unique_ptr<AesStream> stream;
};

}  // namespace dszip
