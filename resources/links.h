// Addresses that the catalogue embeds (entries 224, 270 and 271): set here, and only here.
#pragma once

#define OMNI_SUPPORT_MAIL "support@orvane.example"
#define OMNI_MEDIA_VENDOR_HOME "http://www.microsoft.com"
#define OMNI_FLASH_VENDOR_HOME "http://www.adobe.com"
