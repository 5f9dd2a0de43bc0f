// Sizes and scroll positions read without making the browser lay the page
// out in the middle of a render: reading clientWidth or scrollTop after a
// change does, and on a page drawing a tree of a million records each such
// read cost 10 to 25 ms. Each element's size comes from a ResizeObserver,
// its scroll position from its scroll events and from what the page set.
(function (pg) {
  'use strict';

  class Box {
    constructor(element, resized = () => {}) {
      this.element = element;
      this.width = element.clientWidth;
      this.height = element.clientHeight;
      this.top = element.scrollTop;
      this.scrolling = 0;
      new ResizeObserver(() => {
        this.width = element.clientWidth;
        this.height = element.clientHeight;
        resized();
      }).observe(element);
      element.addEventListener('scroll', () => {
        if (!this.scrolling) {
          this.top = element.scrollTop;
        }
      }, { passive: true });
    }

    // Scrolls in the next frame, when the page is laid out anyway: setting
    // scrollTop now would lay it out at once. Until then, `top` says where
    // it will be.
    scrollTo(top) {
      this.top = top;
      if (!this.scrolling) {
        this.scrolling = requestAnimationFrame(() => {
          this.scrolling = 0;
          this.element.scrollTop = this.top;
        });
      }
    }
  }

  pg.Box = Box;
})(globalThis.Playground = globalThis.Playground || {});
