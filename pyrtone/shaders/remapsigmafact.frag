#version 330 core
// Four remapped images at once: for each reference intensity r, the detail
// of the first channel around r (a bump that vanishes far from r), stored
// around 0.5.
in vec2 vUV;
out vec4 fragColor;

uniform sampler2D inputImage;
uniform vec4 refs;
uniform float invSigma2;

void main()
{
    float y = texture(inputImage, vUV).r;
    vec4 d = vec4(y) - refs;
    fragColor = d * exp(-d * d * invSigma2) + 0.5;
}
