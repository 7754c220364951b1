/*
 * Site settings for the sIFR runtime. This file is loaded after sifr.js and
 * before the page's own sIFR calls, so anything set here is a default the page
 * may still override. It may stay empty.
 *
 * Examples:
 *
 *   sIFR.fetchTimeout = 5000;      // give up on a font movie after 5 s
 *   sIFR.repaintOnResize = false;  // draw once, ignore later width changes
 *
 *   window.addEventListener('sifr:done', function () {
 *     // every replacement has been drawn (or has failed)
 *   });
 */
