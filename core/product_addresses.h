/* Web addresses that appear as link text in dialog templates. Shared by the
   code and the resource script, so plain #defines only. The maker has no real
   site yet; reserved example addresses keep a click from opening some third
   party's page. */
#ifndef MERROWIND_PRODUCT_ADDRESSES_H
#define MERROWIND_PRODUCT_ADDRESSES_H

#define MERROWIND_MORE_COOKIES_ADDRESS "https://tolvane.example/merrowind/cookies/"

#endif
