#pragma once
#include "frames.h"
#include "issuedcards.h"

// The add-card entry of an issued card, its absent windows sent as none.
frames::CardEntry cardEntry(const cardstore::IssuedCard& card);
