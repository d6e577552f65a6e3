#pragma once
// Signed catalogues. With CatalogueKey set, a downloaded catalogue (update.ini, APPS.xml,
// fws.xml, sps.xml) is used only when the file at its address plus ".sig" holds a valid
// Ed25519 signature of its bytes by one of the configured keys. Kept files are trusted as
// they were put in place; without a key nothing is checked.
#include <optional>
#include <string>
#include <vector>

#include "net/DownloadFile.h"

namespace net {

class CatalogueSignature {
 public:
  static constexpr std::size_t kKeySize = 32;
  static constexpr std::size_t kSignatureSize = 64;

  // From CatalogueKey: the Base64 of raw 32-byte public keys separated by blanks, any of
  // which verifies. A key that is not that is left out with a reason; when the text names
  // keys but none is usable, every catalogue fails its check, so that a mistyped key never
  // turns the check off. Signatures are fetched checked against `caBundle` (see
  // TransferOptions), as the catalogues themselves are.
  CatalogueSignature(const std::string& catalogueKey, std::string caBundle);

  // True when downloads must be signed (CatalogueKey is not blank).
  bool required() const { return required_; }
  std::size_t keyCount() const { return keys_.size(); }
  // Why keys of CatalogueKey were left out; empty when all were usable.
  const std::string& keyProblems() const { return keyProblems_; }

  // `signatureText`: one line, the Base64 of the raw 64-byte signature of `bytes`.
  bool Verify(const std::string& bytes, const std::string& signatureText,
              std::string* reason) const;
  // Fetches the signature of the file downloaded from `url` and verifies `file` against it.
  // True without a request when no signature is required.
  bool CheckDownload(const std::string& url, const std::string& file, std::string* reason) const;

  // The check of a catalogue downloaded from `url` before it takes the kept file's place:
  // its signature first, when one is required, then `loads`.
  FileCheck Guard(const std::string& url, FileCheck loads) const;

  // The signature's address: ".sig" appended to the path, before any query or fragment.
  static std::string SignatureAddress(const std::string& url);

 private:
  std::string caBundle_;
  bool required_ = false;
  std::vector<std::string> keys_;  // raw 32-byte keys
  std::string keyProblems_;
};

}  // namespace net
