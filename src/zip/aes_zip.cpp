#include "zip/aes_zip.h"

#include <algorithm>

namespace zip {
namespace {

constexpr size_t kKeystreamBlocks = 4096;  // 64 KiB per cipher call

}  // namespace

AesKeys NewAesKeys(Crypto& crypto, const std::string& password) {
  std::vector<uint8_t> salt(kAesSaltSize);
  crypto.Random(salt.data(), kAesSaltSize);
  return DeriveAesKeys(crypto, password, salt.data());
}

AesKeys DeriveAesKeys(Crypto& crypto, const std::string& password, const uint8_t* salt) {
  return {std::vector<uint8_t>(salt, salt + kAesSaltSize),
          crypto.Pbkdf2Sha1(password, salt, kAesSaltSize, kAesIterations, kAesKeyMaterialSize)};
}

AesStream::AesStream(Crypto& crypto, const AesKeys& keys)
    : cipher_(crypto.Aes256(keys.material.data())),
      mac_(crypto.HmacSha1(keys.material.data() + kAesKeySize, kAesKeySize)), header_(keys.salt) {
  header_.insert(header_.end(), keys.material.begin() + 2 * kAesKeySize, keys.material.end());
}

std::vector<uint8_t> AesStream::Header() const { return header_; }

void AesStream::Crypt(uint8_t* data, size_t size) {
  for (size_t done = 0; done < size;) {
    if (keystreamUsed_ == keystream_.size()) {
      // As many blocks as this call needs, so that small entries make small calls.
      const size_t blocks = std::min(kKeystreamBlocks, (size - done + 15) / 16);
      keystream_.assign(blocks * 16, 0);
      for (size_t block = 0; block < blocks; ++block) {
        const uint64_t counter = ++counter_;
        for (int byte = 0; byte < 8; ++byte)
          keystream_[block * 16 + static_cast<size_t>(byte)] =
              static_cast<uint8_t>(counter >> (8 * byte));
      }
      cipher_->EncryptBlocks(keystream_.data(), blocks);
      keystreamUsed_ = 0;
    }
    const size_t take = std::min(size - done, keystream_.size() - keystreamUsed_);
    for (size_t i = 0; i < take; ++i) data[done + i] ^= keystream_[keystreamUsed_ + i];
    keystreamUsed_ += take;
    done += take;
  }
}

void AesStream::Encrypt(uint8_t* data, size_t size) {
  Crypt(data, size);
  mac_->Update(data, size);
}

void AesStream::Decrypt(uint8_t* data, size_t size) {
  mac_->Update(data, size);
  Crypt(data, size);
}

std::vector<uint8_t> AesStream::Tag() {
  std::vector<uint8_t> full = mac_->Finish();
  full.resize(kAesMacSize);
  return full;
}

}  // namespace zip
