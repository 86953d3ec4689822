// The gallery's command codes: what its menus, buttons and controls send to the main layer.
#pragma once

enum GalleryCode : int {
    kGalleryOpen = 100,
    kGallerySave,
    kGalleryQuit,
    kGalleryModal,
    kGalleryFloating,
    kGalleryAbout,
    kGalleryUndo,
    kGalleryCut,
    kGalleryCopy,
    kGalleryPaste,
    kGallerySnap,
    kGalleryGrid,
    // One per tab, in tab order.
    kGalleryTab0 = 120,
    kGalleryZoom50 = 130,
    kGalleryZoom100,
    kGalleryZoom200,
    // Replies of the file dialogs, with the field "path".
    kGalleryOpened = 140,
    kGallerySaved,
    kGalleryButton = 150,
    kGalleryCheck,
    kGalleryRadio,
    kGalleryProjection,
    kGalleryPopupDialog,
    kGalleryIcon,
    kGallerySlider = 160,
    kGalleryVSlider,
    kGalleryHScroll,
    kGalleryVScroll,
    kGalleryKnob,
    kGalleryAngle,
    kGallerySwatch,
    kGalleryText = 170,
    kGalleryList,
    // One per tool bar button.
    kGalleryTool = 180,
};
